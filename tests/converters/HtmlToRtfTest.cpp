// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedUiHost.h"
#include "converters/Converters.h"
#include "shared/TextRoutines.h"

#include <gtest/gtest.h>

using namespace Routines_Converters;
using Platform::MsgAnswer;

namespace {

class HtmlToRtf : public testing::Test
{
protected:
    HtmlToRtf()
    {
        m_previousCheck = Global::setFontCheck(
            [](const QString& face) { return face == u"Verdana" || face == u"Arial"; });
    }
    ~HtmlToRtf() override { Global::setFontCheck(m_previousCheck); }

    Testing::ScriptedUiHost host;

private:
    Global::FontCheck m_previousCheck;
};

const QString Level0 = QStringLiteral("\\plain\\f3\\fs24\\cf0 ");

} // namespace

TEST_F(HtmlToRtf, TurnsTheKnownTagsIntoWordsAndDropsTheRest)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("<B>x</B> <b>y</b>"), QStringLiteral("\\b x\\b0  \\b y\\b0 ")},
        {QStringLiteral("<EM>a</EM><strong>b</strong><U>c</u><i>d</I>"),
         QStringLiteral("\\i a\\i0 \\b b\\b0 \\ul c\\ul0 \\i d\\i0 ")},
        {QStringLiteral("a<BR>b</div>c<p>d<TR>"),
         QStringLiteral("a\\par b\\par c\\par\\par d\\par ")},
        // mixed case matches neither table and goes with the other tags
        {QStringLiteral("<Bold>a<Br><b >b<td class=x>c"), QStringLiteral("abc")},
        {QStringLiteral("a   b  <b>c"), QStringLiteral("a b \\b c")},
        // specials arrive escaped, "\par" in the text too
        {QStringLiteral("{x}\\y \\par{"), QStringLiteral("\\{x\\}\\\\y \\\\par\\{")},
        // references are resolved after the tags, so an escaped tag is text
        {QStringLiteral("&lt;b&gt; &amp;lt; &pound;&#163;&times;"),
         QStringLiteral("<b> < \u00A3\u00A3&times;")},
        // a referenced backslash or brace is text, never an RTF word
        {QStringLiteral("&#92;pict&#123;&#x7D;"), QStringLiteral("\\\\pict\\{\\}")},
        // a "<" with no ">" after it ends the tag loop
        {QStringLiteral("a<b>b <font c"), QStringLiteral("a\\b b <font c")},
        {QStringLiteral("> a <x> b"), QStringLiteral("> a  b")},
        // a ">" inside a quoted value ends the tag early; the unclosed quote
        // makes FACE no word, so the tag goes without codes
        {QStringLiteral("<FONT FACE=\"a>b\">t"), QStringLiteral("b\">t")},
        {QString(), QString()},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(HTMLtoRTF(in), out) << in.toStdString();
}

TEST_F(HtmlToRtf, FollowsFontFaceColourAndSizeThroughTheLevels)
{
    EXPECT_EQ(HTMLtoRTF(QStringLiteral("<FONT FACE=\"Arial,Helvetica\">x</FONT>y")),
              Level0 + QStringLiteral("x") + Level0 + QStringLiteral("y"));
    EXPECT_EQ(FontTable.size(), 5); // Arial was in the default table

    // A new colour is appended and found again; names are upper case.
    EXPECT_EQ(HTMLtoRTF(QStringLiteral("<font color=#00ff00>a</font><font color=\"#00FF00\">b")),
              QStringLiteral("\\plain\\f3\\fs24\\cf3 a") + Level0 +
                  QStringLiteral("\\plain\\f3\\fs24\\cf3 b"));
    ASSERT_EQ(ColourTable.size(), 4);
    EXPECT_EQ(ColourTable[3],
              (RTFTableEntry{QStringLiteral("\\cf3"), QStringLiteral("<FONT COLOR=\"#00FF00\">"),
                             QStringLiteral("</FONT>"), QStringLiteral("00FF00")}));

    struct Size
    {
        const char* html;
        const char* code;
    };
    const Size sizes[] = {{"<font size=+1>", "\\fs28"}, {"<font size=\"-5\">", "\\fs18"},
                          {"<font size=7>", "\\fs72"},  {"<font size=9>", "\\fs24"},
                          {"<font size=+9>", "\\fs72"}, {"<font size=12>", "\\fs20"},
                          {"<font size=+x>", "\\fs24"}};
    for (const Size& s : sizes) {
        EXPECT_EQ(HTMLtoRTF(QString::fromLatin1(s.html)),
                  QStringLiteral("\\plain\\f3%1\\cf0 ").arg(QLatin1String(s.code)))
            << s.html;
    }
    // Relative sizes build on the level below; a close goes back to it.
    EXPECT_EQ(HTMLtoRTF(QStringLiteral("<font size=5><font size=-1>a</font>b</font>c</font>")),
              QStringLiteral("\\plain\\f3\\fs36\\cf0 \\plain\\f3\\fs28\\cf0 a"
                             "\\plain\\f3\\fs36\\cf0 b") +
                  Level0 + QStringLiteral("c") + Level0);
    // FACE, COLOR and SIZE work on the current level in any tag; FONT alone
    // opens a level without codes.
    EXPECT_EQ(HTMLtoRTF(QStringLiteral("<span color=#FF0000><font>x")),
              QStringLiteral("\\plain\\f3\\fs24\\cf2 x"));
}

TEST_F(HtmlToRtf, AddsUnknownFacesAndWrapsAWholeDocument)
{
    const QString rtf = HTMLtoRTF(
        QStringLiteral("<font face=\"Verdana\">a</font><font face=Nowhere color=#102030>b"), true,
        QStringLiteral("\\fs20 "));
    ASSERT_EQ(FontTable.size(), 7);
    EXPECT_EQ(FontTable[5].Value, QStringLiteral("Verdana"));
    EXPECT_EQ(FontTable[6].Value, QString()); // not installed: a font of no name
    EXPECT_EQ(FontTable[6].OpenTag, QStringLiteral("<FONT FACE=\"Nowhere\">"));
    EXPECT_EQ(rtf, QStringLiteral(
                       "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fnil MS Sans Serif;}"
                       "{\\f1\\fnil Symbol;}{\\f2\\fnil Courier New;}{\\f3\\fnil Arial;}"
                       "{\\f4\\fnil Verdana;}{\\f5\\fnil ;}}{\\colortbl\\red0\\green0\\blue0;"
                       "\\red0\\green0\\blue255;\\red255\\green0\\blue0;\\red16\\green32\\blue48;}"
                       "\\deflang2057\\pard\\plain\\f3\\fs20 \\fs20 "
                       "\\plain\\f4\\fs24\\cf0 a\\plain\\f3\\fs24\\cf0 \\plain\\f5\\fs24\\cf3 b}"));
    // A colour name is kept as it stands; its letters read as hexadecimal
    // digits where they can ("RE" none, "D" 13).
    EXPECT_TRUE(
        HTMLtoRTF(QStringLiteral("<font color=red>x"), true).contains(u"\\red0\\green13\\blue0;}"));
    // Blanks only: no document.
    EXPECT_EQ(HTMLtoRTF(QStringLiteral("  <x>  "), true), QStringLiteral("  "));
}

TEST_F(HtmlToRtf, EveryTagOfAFaceThatIsNotInstalledAddsAFontOfItsOwn)
{
    // An installed face is found again; each tag of a missing one adds a
    // font of no name, and an empty face finds the first of those.
    EXPECT_EQ(HTMLtoRTF(QStringLiteral("<font face=Gone>a<font face=Verdana>b<font face=Gone>c"
                                       "<font face=\"\">d<font face=Verdana>e<font face=Gone>f")),
              QStringLiteral("\\plain\\f4\\fs24\\cf0 a\\plain\\f5\\fs24\\cf0 b"
                             "\\plain\\f6\\fs24\\cf0 c\\plain\\f4\\fs24\\cf0 d"
                             "\\plain\\f5\\fs24\\cf0 e\\plain\\f7\\fs24\\cf0 f"));
    QStringList values;
    QStringList codes;
    for (const RTFTableEntry& font : FontTable) {
        values << font.Value;
        codes << font.Code;
    }
    EXPECT_EQ(values, (QStringList{"", "MS Sans Serif", "Symbol", "Courier New", "Arial", "",
                                   "Verdana", "", ""}));
    EXPECT_EQ(codes.mid(5), (QStringList{"\\f4", "\\f5", "\\f6", "\\f7"}));
    EXPECT_EQ(FontTable[7].OpenTag, QStringLiteral("<FONT FACE=\"Gone\">"));
}

TEST_F(HtmlToRtf, ReportsTheFaultsOfTheLevelsAndGivesNothing)
{
    const QString fifty = QStringLiteral("<FONT>").repeated(50) + u'x';
    EXPECT_EQ(HTMLtoRTF(fifty), QStringLiteral("x"));
    EXPECT_EQ(HTMLtoRTF(QStringLiteral("</FONT></font>x")), Level0 + Level0 + QStringLiteral("x"));

    const QString faults[] = {QStringLiteral("<FONT>").repeated(51) + u'x',
                              QStringLiteral("<FONT SIZE=\"\">x"), QStringLiteral("<p size=>x")};
    for (const QString& html : faults) {
        host.expectBox(
            MsgAnswer::Ok,
            QStringLiteral("Routines_Converters:HTMLtoRTF  Error:Subscript out of range"));
        EXPECT_EQ(HTMLtoRTF(html, true), QString());
    }
    // The tables keep what was added before the fault.
    host.expectBox(MsgAnswer::Ok, QStringLiteral("HTMLtoRTF"));
    EXPECT_EQ(HTMLtoRTF(QStringLiteral("<font color=#ABCDEF size=>")), QString());
    EXPECT_EQ(ColourTable.last().Value, QStringLiteral("ABCDEF"));
}
