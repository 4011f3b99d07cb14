// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/Messages.h"

#include "ScriptedUiHost.h"
#include "platform/RunTimeError.h"

#include <gtest/gtest.h>

using Global::expandText;
using Global::ResolveRes;
using Platform::MsgAnswer;
using Platform::MsgIcon;

TEST(ResolveRes, ExpandsInclusionsOfBothKinds)
{
    Testing::ScriptedUiHost host;
    EXPECT_EQ(ResolveRes(56), QStringLiteral("Vantix Paths"));
    // 136 includes 402 "&Yes" without its "&", and quotes the first value.
    const QString text = ResolveRes(136, {QStringLiteral("Index")});
    EXPECT_TRUE(text.contains(u"Click Yes ")) << text.toStdString();
    EXPECT_FALSE(text.contains(u'&'));
    EXPECT_TRUE(text.contains(u"\"Index\""));
    // 739 begins with 738, whose placeholder takes 739's first value.
    EXPECT_TRUE(
        ResolveRes(739, {QStringLiteral("Pcode.bin")}).startsWith(u"The file \"Pcode.bin\""));
    EXPECT_EQ(expandText(QStringLiteral("|!50|\u00A1400|!400")), QStringLiteral("VantixOK&OK"));
}

TEST(ResolveRes, MenuItemsIncludeOnlyTheirCaption)
{
    Testing::ScriptedUiHost host;
    // 2001 is "KEY,Caption": an inclusion keeps the caption, and "|¡" also
    // drops its "&".
    EXPECT_EQ(expandText(QStringLiteral("<|!2001>")), QStringLiteral("<Add to &Favourites>"));
    EXPECT_EQ(expandText(QStringLiteral("<|\u00A12001>")), QStringLiteral("<Add to Favourites>"));
}

TEST(ResolveRes, PlaceholdersHaveOneDigitUpToNineValuesAndTwoFromTen)
{
    Testing::ScriptedUiHost host;
    QVariantList nine;
    for (int i = 1; i <= 9; ++i)
        nine << QStringLiteral("v%1").arg(i);
    EXPECT_EQ(expandText(QStringLiteral("|1 |9 |10"), nine), QStringLiteral("v1 v9 v10"));

    QVariantList ten = nine;
    ten << QStringLiteral("v10");
    // With ten values "|1" is no placeholder, and "|01" is.
    EXPECT_EQ(expandText(QStringLiteral("|1 |01 |09 |10"), ten), QStringLiteral("|1 v1 v9 v10"));
}

TEST(ResolveRes, ValuesAreExpandedOnceAndLaterPlaceholdersReachEarlierValues)
{
    Testing::ScriptedUiHost host;
    // Value 1 holds the placeholder of value 2: the later pass fills it.
    EXPECT_EQ(expandText(QStringLiteral("<|1>"), {QStringLiteral("a|2"), QStringLiteral("b")}),
              QStringLiteral("<ab>"));
    // A value holding its own placeholder is not expanded again.
    EXPECT_EQ(expandText(QStringLiteral("|1 and |1"), {QStringLiteral("x|1")}),
              QStringLiteral("x|1 and x|1"));
    // Numbers turn into their plain decimal text.
    EXPECT_EQ(expandText(QStringLiteral("v|1 of |2"), {0.013, 42}), QStringLiteral("v0.013 of 42"));
    EXPECT_EQ(expandText(QStringLiteral("no marks")), QStringLiteral("no marks"));
}

TEST(ResolveRes, MissingStringIsReportedAndEmptiesOnlyItsInclusion)
{
    Testing::ScriptedUiHost host;
    host.expectBox(
        MsgAnswer::Ok,
        QStringLiteral("\"Global:ResolveRes  Error:Resource with identifier '99999' not found\""));
    EXPECT_EQ(ResolveRes(99999), QString());

    // "|!" with no digits asks for string 0, which the table lacks.
    host.expectBox(MsgAnswer::Ok, QStringLiteral("Global:ResolveRes  Error:"));
    EXPECT_EQ(expandText(QStringLiteral("a|!b")), QStringLiteral("ab"));
    ASSERT_EQ(host.boxes.size(), 2);
    EXPECT_EQ(host.boxes[0].icon, MsgIcon::Critical);
    EXPECT_EQ(host.boxes[0].title, QStringLiteral("Error"));
}

TEST(ReportError, ShowsOneCriticalBoxAndPutsTheDefaultPointerBack)
{
    Testing::ScriptedUiHost host;
    host.setPointer(Platform::Pointer::ArrowHourglass);
    host.expectBox(MsgAnswer::Ok);
    Global::ReportError(QStringLiteral("Global:CheckPaths  Error:File not found"));
    ASSERT_EQ(host.boxes.size(), 1);
    EXPECT_EQ(host.pointer(), Platform::Pointer::Default);
    EXPECT_EQ(host.boxes[0].buttons, Platform::MsgButtons::Ok);
    EXPECT_TRUE(host.boxes[0].text.endsWith(u"\r\n\"Global:CheckPaths  Error:File not found\""));
}

TEST(Guarded, ReportsTheFaultWithItsReferenceAndGivesTheEmptyResult)
{
    Testing::ScriptedUiHost host;
    host.expectBox(MsgAnswer::Ok,
                   QStringLiteral("\"Indexing:Find  Error:Subscript out of range\""));
    const int result = Global::guarded("Indexing:Find", []() -> int {
        throw Platform::RunTimeError(Platform::RunTimeError::SubscriptOutOfRange);
    });
    EXPECT_EQ(result, 0);
    // What is not a run-time fault passes through.
    EXPECT_THROW(Global::guarded("X:Y", [] { throw std::logic_error("not ours"); }),
                 std::logic_error);
}
