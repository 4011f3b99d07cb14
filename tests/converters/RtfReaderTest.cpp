// SPDX-License-Identifier: GPL-3.0-or-later
#include "converters/RtfReader.h"

#include "ScriptedUiHost.h"
#include "platform/Cp1252.h"
#include "shared/Messages.h"

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <ostream>

// Texts in failure messages as text, not as a row of numbers.
void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

using Routines_Converters::rtfToDocument;
using Routines_Converters::rtfToPlainText;

namespace {

QString plain(const char* rtf)
{
    return rtfToPlainText(QString::fromLatin1(rtf));
}

// The document's text with its block and line separators as "\n".
QString documentText(const QTextDocument& document)
{
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

QString withLf(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

// The format of the first character of `text` in the document.
QTextCharFormat formatOf(const QTextDocument& document, const QString& text)
{
    const int at = int(documentText(document).indexOf(text));
    EXPECT_GE(at, 0) << text.toStdString();
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(at + 1);
    return cursor.charFormat();
}

QString fixture(const QString& name)
{
    QFile file(QStringLiteral(VANTIX_RTF_FIXTURES "/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return name.endsWith(QLatin1String(".rtf")) ? Platform::Cp1252::decode(file.readAll())
                                                : QString::fromUtf8(file.readAll());
}

struct PlainCase
{
    const char* what;
    const char* rtf;
    const char16_t* expected;
};

const PlainCase PlainCases[] = {
    {"a text without the RTF opening is plain text", "Name = A\r\n{\\b x}", u"Name = A\r\n{\\b x}"},
    {"the opening must come first", " {\\rtf1 a}", u" {\\rtf1 a}"},
    {"line ends; the document's closing paragraph mark is folded",
     "{\\rtf1 a\\par b\\line c\\page d\\row e\\sect f\\par}", u"a\r\nb\r\nc\r\nd\r\ne\r\nf"},
    {"only the closing paragraph mark is folded", "{\\rtf1 a\\par\\par}", u"a\r\n"},
    {"a closing line break stays", "{\\rtf1 a\\line}", u"a\r\n"},
    {"source line ends give nothing; backslash and line end is a paragraph",
     "{\\rtf1 a\r\nb\nc\\\r\nd}", u"abc\r\nd"},
    {"cells give tabs, rows end lines", "{\\rtf1 a\\cell b\\cell\\row c}", u"a\tb\t\r\nc"},
    {"tab", "{\\rtf1 a\\tab b}", u"a\tb"},
    {"one blank ends a word, the next is text", "{\\rtf1\\b  x\\b0\r\ny}", u" xy"},
    {"a minus without digits is text", "{\\rtf1\\b- x}", u"- x"},
    {"escaped backslash and braces", "{\\rtf1 \\\\ \\{ \\}}", u"\\ { }"},
    {"symbols", "{\\rtf1 a\\~b\\-c\\_d\\|e\\:f}", u"a\u00A0bc\u2011def"},
    {"named characters", "{\\rtf1\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}",
     u"\u2014\u2013\u2022\u2018\u2019\u201C\u201D"},
    {"hex bytes are Windows-1252 by default", "{\\rtf1 caf\\'e9 \\'80\\'96\\'E9}",
     u"caf\u00E9 \u20AC\u2013\u00E9"},
    {"hex bytes of the given code page", "{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0 ok}",
     u"\u041F\u0440 ok"},
    {"double-byte code pages decode runs of bytes", "{\\rtf1\\ansicpg932 \\'82\\'a0\\'82\\'a2}",
     u"\u3042\u3044"},
    {"an unknown code page falls back to Windows-1252", "{\\rtf1\\ansicpg77777 \\'e9}", u"\u00E9"},
    {"a font's character set chooses its code page",
     "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset161 Arial Greek;}}\\f1\\'e1{\\f0\\'e1}\\'e2}",
     u"\u03B1\u00E1\u03B2"},
    {"\\u with its fallback character", "{\\rtf1 \\u8364?x}", u"\u20ACx"},
    {"negative \\u counts from 65536", "{\\rtf1 \\u-3913?}", u"\uF0B7"},
    {"\\u pairs make characters beyond 16 bits", "{\\rtf1 \\u-10179?\\u-8704?}", u"\U0001F600"},
    {"\\uc2 drops two hex bytes", "{\\rtf1\\uc2\\u12354\\'82\\'a0x}", u"\u3042x"},
    {"\\uc0 drops nothing", "{\\rtf1\\uc0\\u233 x}", u"\u00E9x"},
    {"a fallback ends with its group", "{\\rtf1\\uc3\\u233{a}b}", u"\u00E9ab"},
    {"\\uc belongs to its group", "{\\rtf1{\\uc0\\u233}\\u233?}", u"\u00E9\u00E9"},
    {"control characters other than the tab are no text",
     "{\\rtf1 a\\'0d\\'0a\\'00\\u13?\\u10?\\u64976?\x01\x1a\tb}", u"a\tb"},
    {"\\bin skips its bytes", "{\\rtf1 a\\bin3 x}yb}", u"ab"},
    {"destinations without text are skipped",
     "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1;}{\\stylesheet{Normal;}}{\\info{\\title T}}"
     "{\\*\\unknown x}{\\pict 0a0b}{\\header H}{\\footerl F}{\\listtext 1.}{\\footnote n}t}",
     u"t"},
    {"a field shows its result",
     "{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}"
     "{\\field{\\fldinst PAGE}{\\fldrslt 1}}}",
     u"link1"},
    {"unknown words are ignored, their groups' text kept", "{\\rtf1\\foo12 a{\\bar b}}", u"ab"},
    {"reading stops where the document ends", "{\\rtf1 a}b\\par c", u"a"},
};

} // namespace

TEST(RtfToPlainText, ReadsEachWordAndEscape)
{
    Testing::ScriptedUiHost host;
    for (const PlainCase& c : PlainCases)
        EXPECT_EQ(plain(c.rtf), QString::fromUtf16(c.expected)) << c.what;
}

TEST(RtfToPlainText, LiteralCharactersFollowTheCodePage)
{
    Testing::ScriptedUiHost host;
    // The input holds the file's bytes read as Windows-1252: byte CF arrives
    // as "Ï" and is Cyrillic "П" in a Windows-1251 document.
    EXPECT_EQ(rtfToPlainText(QString::fromUtf16(u"{\\rtf1\\ansicpg1251 \u00CF\u00F0 \u20AC}")),
              QString::fromUtf16(u"\u041F\u0440 \u0402"));
    // A character that no byte gives (text that came from elsewhere) stays.
    EXPECT_EQ(rtfToPlainText(QString::fromUtf16(u"{\\rtf1\\ansicpg1251 \u4E2D}")),
              QString::fromUtf16(u"\u4E2D"));
}

// Real documents of several writers, read line by line against the text the
// document shows; the view's document must hold the same text.
TEST(RtfToPlainText, ReadsDocumentsOfRealWriters)
{
    Testing::ScriptedUiHost host;
    const char* names[] = {"office-letter", "office-form",   "office-table", "office-intl",
                           "abiword-intl",  "pandoc-letter", "mail-form"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const QString rtf = fixture(QLatin1String(name) + QLatin1String(".rtf"));
        QString expected = fixture(QLatin1String(name) + QLatin1String(".txt"));
        ASSERT_TRUE(expected.endsWith(u'\n'));
        expected.chop(1);

        const QString text = rtfToPlainText(rtf);
        EXPECT_FALSE(withLf(text).contains(u'\r'));
        const QStringList lines = text.split(QLatin1String("\r\n"));
        const QStringList expectedLines = expected.split(u'\n');
        for (qsizetype i = 0; i < std::max(lines.size(), expectedLines.size()); ++i)
            EXPECT_EQ(lines.value(i), expectedLines.value(i)) << "line " << i + 1;

        QTextDocument document;
        rtfToDocument(rtf, document);
        EXPECT_EQ(documentText(document), withLf(text));
    }
}

TEST(RtfToDocument, FillsTheCharacterFormats)
{
    Testing::ScriptedUiHost host;
    QTextDocument document;
    document.setPlainText(QStringLiteral("earlier text"));
    rtfToDocument(
        QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern "
                       "Courier;}}{\\colortbl;\\red255\\green0\\blue0;}\\fs20 n{\\b b}{\\i "
                       "i}{\\ul u\\ulnone x}{\\f1 c}{\\fs36 big}{\\cf1 red}\\b\\i\\plain "
                       "p\\line l\\par second}"),
        document);
    EXPECT_EQ(documentText(document), QStringLiteral("nbiuxcbigredp\nl\nsecond"));
    EXPECT_EQ(document.blockCount(), 2);

    const QTextCharFormat n = formatOf(document, QStringLiteral("n"));
    EXPECT_EQ(n.fontWeight(), QFont::Normal);
    EXPECT_FALSE(n.fontItalic());
    EXPECT_FALSE(n.fontUnderline());
    EXPECT_EQ(n.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
    EXPECT_EQ(n.fontPointSize(), 10.0);
    EXPECT_FALSE(n.hasProperty(QTextFormat::ForegroundBrush));

    EXPECT_EQ(formatOf(document, QStringLiteral("b")).fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatOf(document, QStringLiteral("i")).fontItalic());
    EXPECT_TRUE(formatOf(document, QStringLiteral("u")).fontUnderline());
    EXPECT_FALSE(formatOf(document, QStringLiteral("x")).fontUnderline());
    const QTextCharFormat c = formatOf(document, QStringLiteral("c"));
    EXPECT_EQ(c.fontFamilies().toStringList(), QStringList{QStringLiteral("Courier")});
    EXPECT_TRUE(c.fontFixedPitch());
    EXPECT_EQ(formatOf(document, QStringLiteral("big")).fontPointSize(), 18.0);
    EXPECT_EQ(formatOf(document, QStringLiteral("red")).foreground().color(), QColor(255, 0, 0));
    // \plain: back to the default font at 12 pt, nothing on.
    const QTextCharFormat p = formatOf(document, QStringLiteral("p"));
    EXPECT_EQ(p.fontWeight(), QFont::Normal);
    EXPECT_FALSE(p.fontItalic());
    EXPECT_EQ(p.fontPointSize(), 12.0);
    EXPECT_EQ(p.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
}

TEST(RtfToDocument, ReadsTheFormatsOfARealDocument)
{
    Testing::ScriptedUiHost host;
    QTextDocument document;
    rtfToDocument(fixture(QStringLiteral("office-letter.rtf")), document);
    EXPECT_EQ(formatOf(document, QStringLiteral("three")).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf(document, QStringLiteral(" caf")).fontWeight(), QFont::Normal);
    EXPECT_TRUE(formatOf(document, QStringLiteral("Friday")).fontItalic());
    EXPECT_TRUE(formatOf(document, QStringLiteral("enclosed")).fontUnderline());
    const QTextCharFormat pounds = formatOf(document, QString::fromUtf16(u"\u00A3205"));
    EXPECT_EQ(pounds.fontWeight(), QFont::Bold);
    EXPECT_TRUE(pounds.fontItalic());
    // The document's default font is its font 3.
    EXPECT_EQ(formatOf(document, QStringLiteral("Dear")).fontFamilies().toStringList(),
              QStringList{QStringLiteral("Liberation Serif")});
}

// The document opening that the converters write, with its font and colour
// tables, reads back with the fonts and colours it names.
TEST(RtfToDocument, ReadsTheConvertersHeader)
{
    Testing::ScriptedUiHost host;
    const QString header =
        Global::ResolveRes(569, {Global::ResolveRes(505), Global::ResolveRes(516)});
    ASSERT_TRUE(header.startsWith(QLatin1String("{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl")));
    const QString rtf = header + QStringLiteral("Arial \\f2 code\\par\\cf2 red\\cf0 black") +
                        Global::ResolveRes(570);

    EXPECT_EQ(rtfToPlainText(rtf), QStringLiteral("Arial code\r\nredblack"));
    QTextDocument document;
    rtfToDocument(rtf, document);
    const QTextCharFormat arial = formatOf(document, QStringLiteral("Arial"));
    EXPECT_EQ(arial.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
    EXPECT_EQ(arial.fontPointSize(), 10.0);
    const QTextCharFormat code = formatOf(document, QStringLiteral("code"));
    EXPECT_EQ(code.fontFamilies().toStringList(), QStringList{QStringLiteral("Courier New")});
    EXPECT_TRUE(code.fontFixedPitch());
    EXPECT_EQ(code.fontPointSize(), 10.0);
    EXPECT_EQ(formatOf(document, QStringLiteral("red")).foreground().color(), QColor(Qt::red));
    // Colour 0 of this table is black itself, not the "auto" colour.
    EXPECT_EQ(formatOf(document, QStringLiteral("black")).foreground().color(), QColor(Qt::black));
}

TEST(RtfReader, GivesTheBestTextOfDamagedInput)
{
    Testing::ScriptedUiHost host;
    const PlainCase cases[] = {
        {"groups left open", "{\\rtf1 a{\\b b{\\i c", u"abc"},
        {"a closing brace too many ends the document", "{\\rtf1 a}}}b", u"a"},
        {"a backslash at the end", "{\\rtf1 a\\", u"a"},
        {"a hex escape cut short", "{\\rtf1 a\\'", u"a"},
        {"a \\bin beyond the end", "{\\rtf1 a\\bin999999999 bcd}", u"a"},
        {"a negative \\bin", "{\\rtf1 a\\bin-5 b}", u"ab"},
        {"\\u far out of range", "{\\rtf1 a\\u-99999999999?b\\u99999999999?c}", u"abc"},
        {"\\uc far out of range", "{\\rtf1\\uc99999999999\\u233 abc{d}}", u"\u00E9d"},
        {"absurd sizes and colours", "{\\rtf1\\fs99999999999\\cf99999999999\\f-99999999999 a}",
         u"a"},
        {"a font table without its closing braces", "{\\rtf1{\\fonttbl{\\f0 Arial", u""},
    };
    for (const PlainCase& c : cases) {
        EXPECT_EQ(plain(c.rtf), QString::fromUtf16(c.expected)) << c.what;
        QTextDocument document;
        rtfToDocument(QString::fromLatin1(c.rtf), document);
        EXPECT_EQ(documentText(document), withLf(QString::fromUtf16(c.expected))) << c.what;
    }

    const QString word =
        QStringLiteral("{\\rtf1 a\\") + QString(100000, u'x') + QStringLiteral(" b}");
    EXPECT_EQ(rtfToPlainText(word), QStringLiteral("ab"));

    QTextDocument document;
    rtfToDocument(QStringLiteral("{\\rtf1\\fs99999999999 a\\fs0 b}"), document);
    EXPECT_EQ(formatOf(document, QStringLiteral("a")).fontPointSize(), 1638.0);
    EXPECT_EQ(formatOf(document, QStringLiteral("b")).fontPointSize(), 12.0);
}

TEST(RtfReader, SurvivesDeepNesting)
{
    Testing::ScriptedUiHost host;
    constexpr int Depth = 100000;
    const QString balanced = QStringLiteral("{\\rtf1 ") + QString(Depth, u'{') +
                             QStringLiteral("\\b x") + QString(Depth, u'}') + QStringLiteral("y}");
    EXPECT_EQ(rtfToPlainText(balanced), QStringLiteral("xy"));
    QTextDocument document;
    rtfToDocument(balanced, document);
    EXPECT_EQ(formatOf(document, QStringLiteral("x")).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf(document, QStringLiteral("y")).fontWeight(), QFont::Normal);

    QString open = QStringLiteral("{\\rtf1 ");
    for (int i = 0; i < Depth; ++i)
        open += QStringLiteral("{\\i a");
    EXPECT_EQ(rtfToPlainText(open).size(), Depth);
}

// Every prefix of a real document reads without fault, and both readings
// give the same text.
TEST(RtfReader, ReadsEveryTruncation)
{
    Testing::ScriptedUiHost host;
    const QString rtf = fixture(QStringLiteral("office-letter.rtf"));
    for (qsizetype n = 0; n <= rtf.size(); ++n) {
        const QString cut = rtf.first(n);
        QTextDocument document;
        rtfToDocument(cut, document);
        ASSERT_EQ(documentText(document), withLf(rtfToPlainText(cut))) << "length " << n;
    }
}

TEST(RtfReader, LetsTheEventQueueRunDuringLongReads)
{
    Testing::ScriptedUiHost host;
    QString rtf = QStringLiteral("{\\rtf1 ");
    while (rtf.size() < 8 * 64 * 1024)
        rtf += QStringLiteral("Some text of a long e-mail body\\par ");
    rtf += u'}';
    rtfToPlainText(rtf);
    EXPECT_GE(host.eventRuns, 7);
    EXPECT_LE(host.eventRuns, 9);
}
