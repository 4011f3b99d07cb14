// SPDX-License-Identifier: GPL-3.0-or-later
#include "linking/TagStates.h"

#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "linking/TagLinker.h"

#include <gtest/gtest.h>

namespace {

using namespace Linking;

//                                   0         10        20        30        40        50
const QString Source =
    QStringLiteral("<!-- a --><!-- B --><!-- c --><!-- A --><!-- d --><!-- b -->");

// Each tag's state over links, fields, a tag met twice and tags differing in
// case; the counts take each tag once.
TEST(TagStates, EachTagHasTheStateOfItsLinkAndTheFolder)
{
    TagMarks marks;
    marks.setText(Source);
    const QList<StoredLink> links = {{QStringLiteral("<!-- A -->"), QStringLiteral("Name")},
                                     {QStringLiteral("<!-- c -->"), QStringLiteral("Gone")}};
    marks.update(links, QSet<QString>{QStringLiteral("Name"), QStringLiteral("Email")});
    const TagState expected[] = {TagState::Linked, TagState::Unlinked, TagState::MissingField,
                                 TagState::Linked, TagState::Unlinked, TagState::Unlinked};
    ASSERT_EQ(marks.marks().size(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(marks.marks()[i].state, expected[i]) << i;
    EXPECT_EQ(marks.marks()[2].field, QStringLiteral("Gone"));
    EXPECT_EQ(marks.marks()[3].at, (Selection{30, 10}));
    EXPECT_EQ(marks.counts(), (TagCounts{4, 1, 2, 1}));
    EXPECT_EQ(tagCountsText(marks.counts()),
              QStringLiteral("4 tags: 1 linked, 2 not linked, 1 linked to a missing field"));

    // Without a scanned folder no link is missing anything.
    marks.update(links, std::nullopt);
    EXPECT_EQ(marks.counts(), (TagCounts{4, 2, 2, 0}));
}

TEST(TagStates, AnUpdateNamesOnlyTheTagsThatChanged)
{
    TagMarks marks;
    marks.setText(Source);
    EXPECT_EQ(marks.update({}, std::nullopt), QList<int>{}); // all were unlinked already
    EXPECT_EQ(marks.update({{QStringLiteral("<!-- b -->"), QStringLiteral("X")}}, std::nullopt),
              (QList<int>{1, 5}));
    // The same link to another field changes the field, not the state.
    EXPECT_EQ(marks.update({{QStringLiteral("<!-- b -->"), QStringLiteral("Y")}}, std::nullopt),
              (QList<int>{1, 5}));
    EXPECT_EQ(marks.update({{QStringLiteral("<!-- b -->"), QStringLiteral("Y")}}, std::nullopt),
              QList<int>{});
}

TEST(TagStates, NextUnlinkedWrapsAndSkipsLinkedTags)
{
    TagMarks marks;
    marks.setText(Source);
    marks.update({{QStringLiteral("<!-- a -->"), QStringLiteral("N")},
                  {QStringLiteral("<!-- d -->"), QStringLiteral("N")}},
                 std::nullopt);
    // Unlinked: B at 10, c at 20, b at 50.
    EXPECT_EQ(marks.nextUnlinked({0, 0}), (Selection{10, 10}));
    EXPECT_EQ(marks.nextUnlinked({10, 10}), (Selection{20, 10}));
    EXPECT_EQ(marks.nextUnlinked({25, 0}), (Selection{50, 10}));
    EXPECT_EQ(marks.nextUnlinked({50, 10}), (Selection{10, 10})); // wraps
    marks.update({{QStringLiteral("<!-- a -->"), QStringLiteral("N")},
                  {QStringLiteral("<!-- b -->"), QStringLiteral("N")},
                  {QStringLiteral("<!-- c -->"), QStringLiteral("N")},
                  {QStringLiteral("<!-- d -->"), QStringLiteral("N")}},
                 std::nullopt);
    EXPECT_EQ(marks.nextUnlinked({0, 0}), std::nullopt);
}

// The main window's core re-marks when a link is made or removed and when a
// folder's scan shows which fields exist; Ctrl+F3 steps over linked tags.
TEST(TagStates, TheLinkerMarksAfreshAsLinksAndFoldersChange)
{
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    TagLinker linker;
    QList<QList<int>> changes;
    int resets = 0;
    QObject::connect(&linker, &TagLinker::tagMarksChanged,
                     [&](const QList<int>& marks) { changes.append(marks); });
    QObject::connect(&linker, &TagLinker::tagMarksReset, [&] { ++resets; });
    linker.setSource(QStringLiteral("page.htm"), Source);
    EXPECT_EQ(resets, 1);
    ScanResult scan;
    scan.rows = {{QStringLiteral("Name"), QStringLiteral("Ann"), QString()}};
    linker.setScan(scan);

    linker.sourceSelectionChanged({10, 10}); // <!-- B -->
    linker.rowClicked(0);
    linker.link();
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0], (QList<int>{1, 5}));
    EXPECT_EQ(linker.tagMarks().marks()[5].state, TagState::Linked);

    // A folder without the field: the link will never be filled.
    linker.setScan(ScanResult{});
    EXPECT_EQ(linker.tagMarks().marks()[1].state, TagState::MissingField);

    linker.sourceSelectionChanged({0, 0});
    linker.nextUnlinkedTag();
    EXPECT_EQ(linker.sourceSelection(), (Selection{20, 10}));
    linker.unlink(); // no row: nothing to unlink, nothing re-marked
    EXPECT_EQ(changes.size(), 2);
}

} // namespace
