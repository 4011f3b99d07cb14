// SPDX-License-Identifier: GPL-3.0-or-later
#include "linking/SourceText.h"

#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "converters/RtfReader.h"

#include <QFile>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <ostream>
#include <string_view>

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

using namespace Linking;
using namespace std::literals;

// What the view must show for a text: one "\n" for each line end (CR LF, LF
// or CR), a control character other than tab as its picture, and everything
// else as it is (a no-break space reads back as a blank in plain text).
QString expectedViewText(const QString& text)
{
    QString view;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue;
        if (c == u'\r' || c == u'\n')
            view += u'\n';
        else if (c < 0x20 && c != u'\t')
            view += QChar(char16_t(0x2400 + c));
        else if (c == 0xA0)
            view += u' ';
        else
            view += text[i];
    }
    return view;
}

QString chars(std::initializer_list<char16_t> codes)
{
    return QString::fromUtf16(codes.begin(), qsizetype(codes.size()));
}

QString viewOf(const QString& text)
{
    QTextDocument document;
    Routines_Converters::rtfToDocument(sourceViewRtf(text), document);
    return document.toPlainText();
}

struct ViewCase
{
    const char* what;
    std::u16string_view text;
};

const ViewCase ViewCases[] = {
    {"empty", u""},
    {"CR LF", u"<html>\r\n<!-- Name -->\r\n</html>"},
    {"LF only", u"<html>\n<!-- Name -->\n</html>\n"},
    {"CR only", u"<html>\r<!-- Name -->\r</html>\r"},
    {"mixed, with empty lines", u"a\r\n\r\nb\n\nc\r\rd\n\r\ne\r\n"},
    {"ends with a line end", u"one line\r\n"},
    {"nothing but line ends", u"\r\n\n\r\r\n"},
    {"tabs", u"\tx\t\ty\t"},
    {"RTF's own characters", u"\\{}\\par {\\b bold} \\'e9 \\u1234?"},
    {"non-Latin letters", u"Ελληνικά, кириллица, 日本語, עברית, é, €, 😀"},
    {"control characters", u"a\x01"
                           u"Bb\x1f\x0b\x0c\x00"
                           u"z\x7f"sv},
    {"blanks after words", u"\\par  x {  } \t "},
    {"no-break and special spaces", u"a\u00a0b\u2028c\u2029d\ufeffe"},
};

TEST(SourceView, HoldsOneCharacterForEachCharacterAndLineEnd)
{
    Testing::ScriptedUiHost host;
    for (const ViewCase& c : ViewCases) {
        const QString text = QStringView(c.text).toString();
        SCOPED_TRACE(c.what);
        const QString view = viewOf(text);
        const QString expected = expectedViewText(text);
        // Plain text shows the document's own separators as "\n" too.
        QString separators = expected;
        separators.replace(QChar::LineSeparator, u'\n').replace(QChar::ParagraphSeparator, u'\n');
        EXPECT_EQ(view, separators);

        const SourceMap map(text);
        EXPECT_EQ(map.toView(text.size()), view.size());
        for (qsizetype d = 0; d < text.size(); ++d) {
            const qsizetype v = map.toView(d);
            ASSERT_LT(v, view.size()) << d;
            const bool lineEnd = text[d] == u'\r' || text[d] == u'\n';
            EXPECT_EQ(lineEnd, expected[v] == u'\n') << d;
            const bool pairLf = text[d] == u'\n' && d > 0 && text[d - 1] == u'\r';
            EXPECT_EQ(map.toDocument(v), pairLf ? d - 1 : d) << d;
        }
    }
}

TEST(SourceView, IsTheConvertersDocumentWithCourierNew)
{
    Testing::ScriptedUiHost host;
    const QString rtf = sourceViewRtf(u"a\n{b}");
    EXPECT_TRUE(rtf.startsWith(
        QLatin1String("{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fnil MS Sans Serif;}")));
    EXPECT_TRUE(rtf.endsWith(QLatin1String("\\f2 a\\par \\{b\\}}"))) << rtf.toStdString();
    EXPECT_TRUE(sourceViewRtf(u"a\n").endsWith(QLatin1String("\\f2 a\\par \\par }")));
}

TEST(SourceMap, MapsPositionsAroundLineEndPairs)
{
    // Document:  a \r \n b \r \n \r \n c     View: a ¶ b ¶ ¶ c
    const SourceMap map(u"a\r\nb\r\n\r\nc");
    const qsizetype toView[][2] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 3},
                                   {5, 3}, {6, 4}, {7, 4}, {8, 5}, {9, 6}};
    for (const auto& [document, view] : toView)
        EXPECT_EQ(map.toView(document), view) << document;
    const qsizetype toDocument[][2] = {{0, 0}, {1, 1}, {2, 3}, {3, 4}, {4, 6}, {5, 8}, {6, 9}};
    for (const auto& [view, document] : toDocument)
        EXPECT_EQ(map.toDocument(view), document) << view;

    const SourceMap none;
    EXPECT_EQ(none.toView(7), 7);
    EXPECT_EQ(none.toDocument(7), 7);
}

TEST(DocumentText, IsUtf8WhenValidElseWindows1252)
{
    const struct
    {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"", QString()},
        {"<!-- Name -->\r\n", QStringLiteral("<!-- Name -->\r\n")},
        {"caf\xc3\xa9 \xe2\x82\xac", QStringLiteral(u"café €")},
        {"\xef\xbb\xbf<html>", QStringLiteral("<html>")},
        {"caf\xe9 \x80 \x81", QStringLiteral(u"café € \u0081")},
        // Overlong and surrogate encodings are not UTF-8.
        {"\xc0\xaf", chars({0xC0, 0xAF})},
        {"\xed\xa0\x80", chars({0xED, 0xA0, 0x20AC})},
        {QByteArray("a\0b", 3), chars({u'a', 0, u'b'})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeDocument(c.bytes), c.text) << c.bytes.toHex().toStdString();
}

TEST(DocumentText, IsReadWholeOrNotAtAll)
{
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    const QString path = settings.folder() + QStringLiteral("/page.htm");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<p>\xa3 5</p>\r\n<!-- Price -->");
    file.close();
    EXPECT_EQ(readDocument(path), QStringLiteral(u"<p>£ 5</p>\r\n<!-- Price -->"));

    // A file that cannot be opened runs the retry question; Cancel gives up.
    host.expectBox(Platform::MsgAnswer::Cancel, QStringLiteral("missing.htm"));
    EXPECT_EQ(readDocument(settings.folder() + QStringLiteral("/missing.htm")), std::nullopt);
    EXPECT_EQ(host.boxes.size(), 1);
}

// A NUL byte in the first 8 KB marks a file that is no text (a picture, a
// word processor's file): it is refused, naming it; one further on is read.
TEST(DocumentText, AFileWithNulBytesEarlyOnIsRefused)
{
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    const struct
    {
        qsizetype nulAt;
        bool refused;
    } cases[] = {{0, true}, {8191, true}, {8192, false}};
    for (const auto& c : cases) {
        QByteArray bytes(9000, 'a');
        bytes[c.nulAt] = '\0';
        const QString path = settings.folder() + QStringLiteral("/page%1.htm").arg(c.nulAt);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        if (c.refused)
            host.expectBox(Platform::MsgAnswer::Ok,
                           QStringLiteral("The file \"") + path +
                               QStringLiteral("\" is not a text document"));
        EXPECT_EQ(readDocumentBytes(path).has_value(), !c.refused) << c.nulAt;
    }
    ASSERT_EQ(host.boxes.size(), 2);
    EXPECT_EQ(host.boxes[0].title, QStringLiteral("Warning!"));
    EXPECT_EQ(host.boxes[0].icon, Platform::MsgIcon::Exclamation);
}

TEST(LongestLine, MeasuresFromOneLineEndPairToTheNext)
{
    const struct
    {
        const char16_t* text;
        qsizetype width;
    } cases[] = {
        {u"", 0},
        {u"no pair at all\nor\rhere", 0},
        {u"abc\r\n", 3},
        {u"abc\r\ndefgh\r\nthe unmeasured rest", 7},
        {u"\r\n\r\nabcdefghij\r\n", 12},
    };
    for (const auto& c : cases)
        EXPECT_EQ(longestLine(c.text), c.width) << QString::fromUtf16(c.text).toStdString();
}

} // namespace
