// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedUiHost.h"
#include "converters/Converters.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace Routines_Converters;
using Platform::MsgAnswer;

namespace {

QStringList values(const QList<RTFTableEntry>& table)
{
    QStringList list;
    for (const RTFTableEntry& entry : table)
        list << entry.Value;
    return list;
}

} // namespace

TEST(DocumentTexts, AreBuiltFromTheStringTable)
{
    Testing::ScriptedUiHost host;
    EXPECT_EQ(RTFHeader(),
              QStringLiteral("{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fnil MS Sans Serif;}"
                             "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\fnil Courier New;}"
                             "{\\f3\\fnil Arial;}}{\\colortbl\\red0\\green0\\blue0;"
                             "\\red0\\green0\\blue255;\\red255\\green0\\blue0;}"
                             "\\deflang2057\\pard\\plain\\f3\\fs20 "));
    EXPECT_EQ(RTFFooter(), QStringLiteral("}"));
    EXPECT_EQ(HTMLHeader(), QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//Zuxworks//DTD HTML 4.0 "
                                           "Transitional//EN\"><HTML><BODY>"));
    EXPECT_EQ(HTMLFooter(), QStringLiteral("</BODY></HTML>"));
}

TEST(func_GetRTFTables, ReadsTheDefaultTablesAndRemovesThem)
{
    Testing::ScriptedUiHost host;
    EXPECT_EQ(
        func_GetRTFTables(RTFHeader() + RTFFooter()),
        QStringLiteral("{\\rtf1\\ansi\\deff0\\deftab720\\deflang2057\\pard\\plain\\f3\\fs20 }"));
    EXPECT_EQ(values(FontTable),
              (QStringList{QString(), QStringLiteral("MS Sans Serif"), QStringLiteral("Symbol"),
                           QStringLiteral("Courier New"), QStringLiteral("Arial")}));
    EXPECT_EQ(FontTable[2],
              (RTFTableEntry{QStringLiteral("f1"), QStringLiteral("<FONT FACE=\"Symbol\">"),
                             QStringLiteral("</FONT>"), QStringLiteral("Symbol")}));
    EXPECT_EQ(values(ColourTable), (QStringList{QStringLiteral("000000"), QStringLiteral("0000FF"),
                                                QStringLiteral("FF0000")}));
    EXPECT_EQ(ColourTable[1].Code, QStringLiteral("cf1"));
    EXPECT_EQ(ColourTable[1].OpenTag, QStringLiteral("<FONT COLOR=\"#0000FF\">"));
}

TEST(func_GetRTFTables, EdgesOfTheTableGroups)
{
    Testing::ScriptedUiHost host;
    // no tables: the text as it was, only the empty entries
    EXPECT_EQ(func_GetRTFTables(QStringLiteral("{\\rtf1 x}")), QStringLiteral("{\\rtf1 x}"));
    EXPECT_EQ(FontTable, QList<RTFTableEntry>{RTFTableEntry{}});
    EXPECT_EQ(ColourTable, QList<RTFTableEntry>{RTFTableEntry{}});

    // escaped braces in a name; a font without a blank; two tables
    EXPECT_EQ(func_GetRTFTables(QStringLiteral("a{\\fonttbl{\\f0\\fnil A\\}b;}{\\f1\\fnil;}}b"
                                               "{\\fonttbl{\\f0 Times;}}c")),
              QStringLiteral("abc"));
    EXPECT_EQ(values(FontTable), (QStringList{QString(), QStringLiteral("A\\}b"), QString(),
                                              QStringLiteral("Times")}));
    EXPECT_EQ(FontTable[3].Code, QStringLiteral("f0"));

    // colour words are taken by position; a missing one reads as 0, a number
    // beyond a byte as 255
    EXPECT_EQ(
        func_GetRTFTables(QStringLiteral("{\\colortbl\\red255\\green1;\\red1\\green2\\blue999;}x")),
        QStringLiteral("x"));
    EXPECT_EQ(values(ColourTable),
              (QStringList{QStringLiteral("FF0100"), QStringLiteral("0102FF")}));

    // a table that never closes stays as it is
    EXPECT_EQ(func_GetRTFTables(QStringLiteral("{\\fonttbl{\\f0\\fnil Arial;}")),
              QStringLiteral("{\\fonttbl{\\f0\\fnil Arial;}"));
    EXPECT_EQ(values(FontTable), (QStringList{QString(), QStringLiteral("Arial")}));
    EXPECT_EQ(func_GetRTFTables(QStringLiteral("\\{\\fonttbl x}")),
              QStringLiteral("\\{\\fonttbl x}"));
}

TEST(func_GetRTFTables, ReportsBracesNestedTooDeep)
{
    Testing::ScriptedUiHost host;
    const QString eleven = QStringLiteral("{\\fonttbl{\\f0\\fnil A;}") +
                           QStringLiteral("{").repeated(9) + QStringLiteral("}").repeated(10);
    EXPECT_EQ(func_GetRTFTables(eleven), QString());
    host.expectBox(
        MsgAnswer::Ok,
        QStringLiteral("Routines_Converters:func_GetRTFTables  Error:Subscript out of range"));
    EXPECT_EQ(func_GetRTFTables(QStringLiteral("{\\fonttbl{\\f0\\fnil A;}") +
                                QStringLiteral("{").repeated(11)),
              QString());
    EXPECT_EQ(values(FontTable), (QStringList{QString(), QStringLiteral("A")}));
}
