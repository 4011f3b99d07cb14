// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/TextRoutines.h"

#include "platform/Text.h"
#include "shared/Fonts.h"

#include <QFontDatabase>
#include <QRandomGenerator>
#include <QStringList>

#include <gtest/gtest.h>

using namespace Global;

namespace {

// A replacement table from its items, each followed by the separator.
QString table(const QStringList& items)
{
    QString text;
    for (const QString& item : items)
        text += item + ReplaceTableSeparator;
    return text;
}

// One whole-text pass per pair, in table order: what the fast passes must give.
QString replaceOneByOne(QString text, const QStringList& items)
{
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        if (!items[i].isEmpty())
            text.replace(items[i], items[i + 1]);
    }
    return text;
}

} // namespace

TEST(KwReplace, EachPairWorksOnWhatThePairsBeforeItLeft)
{
    struct Case
    {
        const char* text;
        QStringList items;
        const char* expected;
    };
    const Case cases[] = {
        // a replacement that a later pair finds again
        {"aab", {"a", "b", "b", "c"}, "ccc"},
        {"&amp;lt;", {"&amp;", "&", "&lt;", "<"}, "<"},
        // a removal that joins its neighbours into a later find
        {"<xB>", {"x", "", "<B>", "\\b "}, "\\b "},
        // overlapping finds: the earlier pair wins
        {"abc", {"ab", "X", "bc", "Y"}, "Xc"},
        {"abc", {"bc", "Y", "ab", "X"}, "aY"},
        // a pair never searches its own replacement again
        {"aaa", {"a", "aa"}, "aaaaaa"},
        {"{x}", {"\\", "\\\\", "{", "\\{", "}", "\\}"}, "\\{x\\}"},
        // an empty find does nothing; a find without replacement is removed
        {"abc", {"", "X", "b"}, "ac"},
        {"", {"a", "b"}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KwReplace(QString::fromUtf8(c.text), table(c.items)),
                  QString::fromUtf8(c.expected))
            << c.text << " with " << c.items.join(u'|').toStdString();
    }
}

TEST(KwReplace, MatchesOnePassPerPairOnRandomTables)
{
    QRandomGenerator random(20240603);
    const QString alphabet = QStringLiteral("ab<>");
    auto word = [&](int maxLength) {
        QString w;
        for (int n = random.bounded(maxLength + 1); n > 0; --n)
            w += alphabet[random.bounded(int(alphabet.size()))];
        return w;
    };
    for (int round = 0; round < 3000; ++round) {
        QStringList items;
        for (int n = random.bounded(1, 6); n > 0; --n)
            items << word(3) << word(3);
        const QString text = word(16);
        ASSERT_EQ(KwReplace(text, table(items)), replaceOneByOne(text, items))
            << text.toStdString() << " with " << items.join(u'|').toStdString();
    }
}

TEST(KwStripHTML, RemovesMarkUpAndKeepsAnUnclosedTag)
{
    const std::pair<const char*, const char*> cases[] = {
        {"<p>Hello <b>there</b></p>", "Hello there"},
        {"a > b", "a > b"},
        {"a <b c", "a <b c"},
        {"<a><b", "<b"},
        {"x<<y>z", "xz"},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(KwStripHTML(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(KwConvertHTMLCodesToASCII, ResolvesNumericReferencesAndLeavesBadOnesAsText)
{
    const std::pair<const char*, QString> cases[] = {
        {"&#65;&#x42;&#X63;&#0100;", QStringLiteral("ABcd")},
        {"&#163;5", QString(QChar(0xA3)) + u'5'},
        {"&#150;", QString(QChar(0x2013))}, // read as a Windows-1252 byte
        {"&#8364;", QString(QChar(0x20AC))},
        {"&#128512;", QString::fromUcs4(U"\U0001F600")},
        {"&&#65;", QStringLiteral("&A")},
        // no digits, no ";", nothing, a surrogate, beyond Unicode, a huge number
        {"&#; &#x; &#65 &#0; &#xD800; &#1114112; &#99999999999999999999;",
         QStringLiteral("&#; &#x; &#65 &#0; &#xD800; &#1114112; &#99999999999999999999;")},
        {"&#x4g;&#12a;", QStringLiteral("&#x4g;&#12a;")},
        {"&amp;", QStringLiteral("&amp;")},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(KwConvertHTMLCodesToASCII(QString::fromUtf8(in)), out) << in;
}

TEST(TextRoutines, BlanksLettersAndLowerCase)
{
    EXPECT_EQ(KwLoseDblSpaces(QStringLiteral("  a   b \t  c  ")), QStringLiteral(" a b \t c "));
    EXPECT_EQ(KwKeepAtoZ(u"Hé, 1 wörld!", 100), QStringLiteral("Hwrld"));
    EXPECT_EQ(KwKeepAtoZ(u"abcdef", 3), QStringLiteral("abc"));
    EXPECT_EQ(KwKeepAtoZ(u"abc", 0), QString());
    // One character for one, so that positions stay: "İ" would grow under
    // whole-string lowering.
    const QString mixed = QStringLiteral("<BODY>\u0130Straße");
    EXPECT_EQ(Platform::lowerChars(mixed).size(), mixed.size());
    EXPECT_TRUE(Platform::lowerChars(mixed).startsWith(u"<body>"));
}

TEST(KwFontExists, AsksTheCheckThatIsInstalled)
{
    const FontCheck previous = setFontCheck([](const QString& face) { return face == u"Arial"; });
    EXPECT_EQ(KwFontExists(QStringLiteral("Arial")), 1);
    EXPECT_EQ(KwFontExists(QStringLiteral("Zapfino")), 0);
    // A program without the font database knows no font.
    setFontCheck({});
    EXPECT_EQ(KwFontExists(QStringLiteral("Arial")), 0);
    // The font database knows its families in any case, and no such family on
    // any machine.
    useFontDatabase();
    const QString installed = QFontDatabase::families().value(0);
    if (!installed.isEmpty()) {
        EXPECT_EQ(KwFontExists(installed.toUpper()), 1) << installed.toStdString();
    }
    EXPECT_EQ(KwFontExists(QStringLiteral("No Such Family 4711")), 0);
    setFontCheck(previous);
}
