// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedUiHost.h"
#include "converters/Converters.h"
#include "platform/UiHost.h"

#include <QHash>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using Routines_Converters::GetHTMLBody;
using Routines_Converters::HTMLtoTXT;
using Routines_Converters::TXTtoRTF;

namespace {

QString markWord(const QString& letter)
{
    static const QHash<QString, QString> words{{QStringLiteral("B"), QStringLiteral("\\b ")},
                                               {QStringLiteral("b"), QStringLiteral("\\b0 ")},
                                               {QStringLiteral("I"), QStringLiteral("\\i ")},
                                               {QStringLiteral("i"), QStringLiteral("\\i0 ")},
                                               {QStringLiteral("U"), QStringLiteral("\\ul ")},
                                               {QStringLiteral("u"), QStringLiteral("\\ul0 ")},
                                               {QStringLiteral("t"), QStringLiteral("\\tab ")},
                                               {QStringLiteral("n"), QStringLiteral("\\line ")}};
    return words.value(letter);
}

// The plain-text conversion step by step, rebuilding the text for every
// insertion as the classic routine did: slow, and plainly right.
QString stepByStep(QString text, int flags, const QString& extra)
{
    if (flags & 1) {
        for (qsizetype start = 0;;) {
            qsizetype found = -1;
            for (const QChar special : {u'\\', u'{', u'}'}) {
                const qsizetype at = text.indexOf(special, start);
                if (at >= 0 && (found < 0 || at < found))
                    found = at;
            }
            if (found < 0)
                break;
            text.insert(found, u'\\');
            start = found + 2;
        }
        for (char16_t code = 0; code < 32; ++code) {
            if (code == 9 || code == 10 || code == 13)
                continue;
            for (qsizetype at; (at = text.indexOf(QChar(code))) >= 0;) {
                QString letter = text.mid(at + 1, 1);
                // An escape's backslash (before "\", "{" or "}"; a word's
                // is before a letter) is no letter: the mark goes alone.
                if (letter == u"\\" && at + 2 < text.size() &&
                    QStringView(u"\\{}").contains(text[at + 2]))
                    letter.clear();
                text.replace(at, 1 + letter.size(), markWord(letter));
            }
        }
    }
    if (flags & 2) {
        for (qsizetype at; (at = text.indexOf(QLatin1String("\r\n"))) >= 0;)
            text.replace(at, 2, QLatin1String("\\par") + extra + QLatin1Char(' '));
        for (qsizetype at; (at = text.indexOf(u'\t')) >= 0;)
            text.replace(at, 1, QLatin1String("\\tab "));
    }
    return text;
}

QString plain(const QString& text, int flags = 3, const QString& extra = QString())
{
    return TXTtoRTF(text, flags, extra, true);
}

} // namespace

TEST(TXTtoRTF, EscapesMarksAndBreaks)
{
    Testing::ScriptedUiHost host;
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("a{b}\\c"), QStringLiteral("a\\{b\\}\\\\c")},
        {QStringLiteral("Plain words"), QStringLiteral("Plain words")},
        {QStringLiteral("x\x1F"
                        "By\x1F"
                        "b"),
         QStringLiteral("x\\b y\\b0 ")},
        {QStringLiteral("\x01I\x01i\x01U\x01u\x01t"), QStringLiteral("\\i \\i0 \\ul \\ul0 \\tab ")},
        {QStringLiteral("a\r\nb\r\n\r\nc"), QStringLiteral("a\\par b\\par \\par c")},
        {QStringLiteral("a\tb\nc\rd"), QStringLiteral("a\\tab b\nc\rd")},
        // the marks that the table lacks: "n" is a new line, others go
        {QStringLiteral("one\x1Fntwo\x1Fzthree\x1F"), QStringLiteral("one\\line twothree")},
        // a mark never takes an escape's backslash: it goes alone, and the
        // text can write no brace or word of its own
        {QStringLiteral("\x1F{x}"), QStringLiteral("\\{x\\}")},
        {QStringLiteral("\x01\\par x"), QStringLiteral("\\\\par x")},
        {QStringLiteral("\x02\x01}\x1F"), QStringLiteral("\\}")},
        {QStringLiteral("\x1F\r\nx"), QStringLiteral("\nx")},
        // a mark of a higher code takes the first character of the word a
        // lower code put after it
        {QStringLiteral("\x1F\x01"
                        "B!"),
         QStringLiteral("b !")},
        {QStringLiteral("\x01\x1F"
                        "B"),
         QStringLiteral("B")},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(plain(in), out) << in.toStdString();
    EXPECT_EQ(plain(QStringLiteral("a\r\nb\tc"), 3, QStringLiteral("\\sa100\t")),
              QStringLiteral("a\\par\\sa100\\tab  b\\tab c"));
    EXPECT_EQ(plain(QStringLiteral("{\x1F"
                                   "B\r\n"),
                    2),
              QStringLiteral("{\x1F"
                             "B\\par "));
    EXPECT_EQ(plain(QStringLiteral("{\x1F"
                                   "B\r\n"),
                    1),
              QStringLiteral("\\{\\b \r\n"));
}

TEST(TXTtoRTF, GivesWhatTheStepsGiveOnOddAndRandomTexts)
{
    Testing::ScriptedUiHost host;
    const QString odd[] = {
        QStringLiteral("\x1F\\"),
        QStringLiteral("\x1F\x1F\x1F"),
        QStringLiteral("\x02\x01ZZ!"),
        QStringLiteral("\x03\x02\x01"
                       "Bq"),
        QStringLiteral("\x02\x01Z\x01"
                       "B"),
        QStringLiteral("\x1E\x1F\x01\x02nn"),
        QStringLiteral("\x05\x04\x03\x02\x01tttt"),
        QStringLiteral("x\x01"),
        QStringLiteral("\x1F\r\n\r\n"),
        QStringLiteral("\x1F}\x1F{"),
    };
    for (const QString& text : odd)
        EXPECT_EQ(plain(text), stepByStep(text, 3, QString()))
            << text.toUtf8().toHex().toStdString();

    const QChar pieces[] = {u'a', u'B',  u'b',  u'n',  u't',     u'i',     u'\\',     u'{',
                            u'}', u'\r', u'\n', u'\t', QChar(1), QChar(2), QChar(31), QChar(0)};
    const QString extras[] = {QString(), QStringLiteral("\t"), QStringLiteral("\\x")};
    QRandomGenerator random(4711);
    for (int round = 0; round < 4000; ++round) {
        QString text;
        for (int n = random.bounded(13); n > 0; --n)
            text += pieces[random.bounded(int(std::size(pieces)))];
        const int flags = random.bounded(4);
        const QString& extra = extras[random.bounded(3)];
        ASSERT_EQ(plain(text, flags, extra), stepByStep(text, flags, extra))
            << text.toUtf8().toHex().toStdString() << " flags " << flags;
    }
}

TEST(TXTtoRTF, ShowsTheBusyPointerAndLetsTheQueueRunNowAndThen)
{
    Testing::ScriptedUiHost host;
    host.setPointer(Platform::Pointer::IBeam);
    host.pointers.clear();
    const QString text = QString(1'000'000, u'x') + QStringLiteral("\x1F"
                                                                   "B\r\n");
    const QString rtf = plain(text);
    EXPECT_TRUE(rtf.endsWith(u"x\\b \\par "));
    EXPECT_EQ(host.pointers,
              (QList<int>{Platform::Pointer::ArrowHourglass, Platform::Pointer::IBeam}));
    // Three passes over a million characters: about once per 64 Ki each.
    EXPECT_GE(host.eventRuns, 30);
    EXPECT_LE(host.eventRuns, 60);
}

TEST(TXTtoRTF, TakesTheHtmlBranchOnlyForAWholeDocumentThatPassesTheTextCheck)
{
    Testing::ScriptedUiHost host;
    // A body whose text has no letters passes the check.
    const QString page = QStringLiteral("<HTML><BODY><b>1</b> {2}</BODY></HTML>");
    EXPECT_EQ(TXTtoRTF(page), QStringLiteral("\\b 1\\b0  \\{2\\}"));
    EXPECT_EQ(GetHTMLBody(page), QStringLiteral("<BODY><b>1</b> {2}"));
    // PlainOnly shows the source.
    EXPECT_EQ(TXTtoRTF(page, 3, QString(), true),
              QStringLiteral("<HTML><BODY><b>1</b> \\{2\\}</BODY></HTML>"));
    // Without "</html>" a page is text.
    const QString unclosed = QStringLiteral("<html><body><b>1</b></body>");
    EXPECT_EQ(GetHTMLBody(unclosed), QString());
    EXPECT_EQ(TXTtoRTF(unclosed), unclosed);
    // Body letters that are not the letters the document begins with fail it.
    EXPECT_EQ(GetHTMLBody(QStringLiteral("<html><body>Hello</body></html>")), QString());
    EXPECT_EQ(GetHTMLBody(QStringLiteral("hello<html><body>Hello</body></html>")),
              QStringLiteral("<body>Hello"));
    EXPECT_EQ(GetHTMLBody(QStringLiteral("<html><head></head></html>")), QString());
}

TEST(HTMLtoTXT, DropsMarkUpAndResolvesReferences)
{
    Testing::ScriptedUiHost host;
    const std::pair<QString, QString> cases[] = {
        {QString(), QString()},
        {QStringLiteral("Just text."), QStringLiteral("Just text.")},
        {QStringLiteral("<p>Fish &amp; chips&nbsp;&#8364;5</p>"),
         QStringLiteral("Fish & chips \u20AC5")},
        // "&amp;" runs before "&lt;"
        {QStringLiteral("&amp;lt;b&gt;"), QStringLiteral("<b>")},
        {QStringLiteral("&Agrave;&Ouml;&Oslash;&szlig;&agrave;&yuml;&copy;&reg;"),
         QStringLiteral("\u00C0\u00D6\u00D8\u00DF\u00E0\u00FF\u00A9\u00AE")},
        // not in the table: no multiplication, division or pound sign here
        {QStringLiteral("&times;&divide;&pound;"), QStringLiteral("&times;&divide;&pound;")},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(HTMLtoTXT(in), out) << in.toStdString();
}
