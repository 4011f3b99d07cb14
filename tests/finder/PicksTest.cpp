// SPDX-License-Identifier: GPL-3.0-or-later
#include "finder/Picks.h"

#include "TestSettings.h"
#include "shared/Settings.h"
#include "shared/Values.h"

#include <gtest/gtest.h>

using Finding::PickList;
using Finding::StoredPick;

namespace {

const QDateTime Start(QDate(2026, 12, 10), QTime(9, 0));

// The moment `minutes` after the start, and the entry name it gives.
QDateTime at(int minutes)
{
    return Start.addSecs(60 * minutes);
}

QString nameAt(int minutes)
{
    return Global::numberText(Global::dateToNumber(at(minutes)));
}

QStringList picksOf(PickList list)
{
    QStringList picks;
    for (const StoredPick& entry : Finding::storedPicks(list))
        picks << entry.pick;
    return picks;
}

QString folder(int n)
{
    return QStringLiteral("%1-1").arg(n);
}

} // namespace

TEST(Picks, AnEntryHoldsTheDisplayWithoutMarksAndThePickUnderItsMoment)
{
    Testing::TestSettings settings;
    Finding::addPick(PickList::Favourites,
                     QStringLiteral("\x01"
                                    "BCompany called \x01"
                                    "1Smith\x01"
                                    "0 Ltd\x01"
                                    "b\x01"
                                    "t(7)"),
                     QStringLiteral("7"), at(0));
    EXPECT_EQ(Finding::storedPicks(PickList::Favourites),
              (QList<StoredPick>{{nameAt(0), QStringLiteral("Company called Smith Ltd \u2013 (7)"),
                                  QStringLiteral("7")}}));
    EXPECT_EQ(Global::GetRegistryData(QStringLiteral("Favourites"), nameAt(0)).toString(),
              QStringLiteral("Company called Smith Ltd \u2013 (7)\x01"
                             "7"));
    EXPECT_TRUE(Finding::storedPicks(PickList::Recent).isEmpty());
}

// A column step stands between the texts on either side of it, and nowhere
// else: never at either end, never for a column left empty.
TEST(Picks, AColumnStepKeepsNameAndCompanyApart)
{
    const QString dash = QStringLiteral(" \u2013 ");
    const QList<std::pair<QString, QString>> cases{
        {QStringLiteral("\x01"
                        "BSmith, Helen\x01"
                        "t\x01"
                        "b\x01"
                        "yGranite Ltd   \x01"
                        "b\x01"
                        "y(12-3)"),
         QStringLiteral("Smith, Helen") + dash + QStringLiteral("Granite Ltd   (12-3)")},
        {QStringLiteral("\x01"
                        "tSmith"),
         QStringLiteral("Smith")},
        {QStringLiteral("Smith\x01"
                        "t"),
         QStringLiteral("Smith")},
        {QStringLiteral("Smith\x01"
                        "t\x01"
                        "t\x01"
                        "BLtd"),
         QStringLiteral("Smith") + dash + QStringLiteral("Ltd")},
        {QStringLiteral("\x01"
                        "BCompany called \x01"
                        "bSmith"),
         QStringLiteral("Company called Smith")},
    };
    for (const auto& [row, entry] : cases)
        EXPECT_EQ(Finding::withoutMarks(row), entry) << row.toStdString();
}

TEST(Picks, PickingAFolderAgainLeavesOneEntryNamedByTheLaterTime)
{
    for (const PickList list : {PickList::Recent, PickList::Favourites}) {
        Testing::TestSettings settings;
        Finding::addPick(list, QStringLiteral("Smith"), folder(1), at(0));
        Finding::addPick(list, QStringLiteral("Jones"), folder(2), at(1));
        Finding::addPick(list, QStringLiteral("Smith, J"), folder(1), at(2));
        const QList<StoredPick> picks = Finding::storedPicks(list);
        ASSERT_EQ(picks.size(), 2);
        EXPECT_EQ(picks[0].pick, folder(2));
        EXPECT_EQ(picks[1], (StoredPick{nameAt(2), QStringLiteral("Smith, J"), folder(1)}));
    }
}

// With the capacity of 10 the list grows to 11 entries and then stays there,
// each new pick taking the place of the oldest; favourites have no limit.
TEST(Picks, TheRecentListKeepsOneMoreThanItsCapacityAndFavouritesAreNotLimited)
{
    Testing::TestSettings settings;
    QStringList expected;
    for (int n = 1; n <= 11; ++n) {
        Finding::addPick(PickList::Recent, QStringLiteral("Contact"), folder(n), at(n));
        expected << folder(n);
    }
    EXPECT_EQ(picksOf(PickList::Recent), expected);
    Finding::addPick(PickList::Recent, QStringLiteral("Contact"), folder(12), at(12));
    expected.removeFirst();
    expected << folder(12);
    EXPECT_EQ(picksOf(PickList::Recent), expected);

    for (int n = 1; n <= 25; ++n)
        Finding::addPick(PickList::Favourites, QStringLiteral("Contact"), folder(n), at(n));
    EXPECT_EQ(Finding::storedPicks(PickList::Favourites).size(), 25);
}

// The capacity's deletion looks only at the names before the duplicate: the
// oldest of those goes, not the oldest of the list.
TEST(Picks, ADuplicateFoundFirstLimitsTheSearchForTheOldest)
{
    Testing::TestSettings settings;
    // In store order: folder 1 at minute 30, folder 2 at 50, then older
    // entries from minute 1 on.
    Finding::addPick(PickList::Recent, QStringLiteral("Contact"), folder(1), at(30));
    Finding::addPick(PickList::Recent, QStringLiteral("Contact"), folder(2), at(50));
    for (int n = 3; n <= 11; ++n)
        Finding::addPick(PickList::Recent, QStringLiteral("Contact"), folder(n), at(n));
    ASSERT_EQ(Finding::storedPicks(PickList::Recent).size(), 11);

    Finding::addPick(PickList::Recent, QStringLiteral("Contact"), folder(2), at(60));
    QStringList expected;
    for (int n = 3; n <= 11; ++n)
        expected << folder(n);
    expected << folder(2);
    EXPECT_EQ(picksOf(PickList::Recent), expected);
}

TEST(Picks, DeleteDuplicatesStopsAtTheFirstMatchAndLowersOldestOnTheWay)
{
    Testing::TestSettings settings;
    for (const int minute : {20, 10, 30})
        Finding::addPick(PickList::Favourites, QStringLiteral("x"), folder(minute), at(minute));
    const QString listing =
        Global::GetRegistryData(QStringLiteral("Favourites"), QStringLiteral("ALLSUBKEYS"))
            .toString();

    double oldest = 99999;
    Finding::sub_DeleteDuplicates(QStringLiteral("Favourites"), listing.mid(3), folder(10), oldest);
    EXPECT_EQ(Global::numberText(oldest), nameAt(10));
    EXPECT_EQ(picksOf(PickList::Favourites), (QStringList{folder(20), folder(30)}));

    oldest = 0;
    Finding::sub_DeleteDuplicates(QStringLiteral("Favourites"), listing.mid(3), folder(99), oldest);
    EXPECT_EQ(oldest, 0);
    EXPECT_EQ(picksOf(PickList::Favourites).size(), 2);
}

// Two picks within the few microseconds that a name tells apart each keep
// their entry.
TEST(Picks, PicksAtTheSameMomentKeepBothEntries)
{
    Testing::TestSettings settings;
    Finding::addPick(PickList::Recent, QStringLiteral("A"), folder(1), at(0));
    Finding::addPick(PickList::Recent, QStringLiteral("B"), folder(2), at(0));
    const QList<StoredPick> picks = Finding::storedPicks(PickList::Recent);
    ASSERT_EQ(picks.size(), 2);
    EXPECT_EQ(picks[0].name, nameAt(0));
    EXPECT_GT(Global::val(picks[1].name), Global::val(picks[0].name));
    EXPECT_EQ(picks[1].pick, folder(2));
}

TEST(Picks, RemoveTakesEveryEntryOfAPickAndClearEmptiesTheList)
{
    Testing::TestSettings settings;
    Finding::addPick(PickList::Favourites, QStringLiteral("A"), folder(1), at(0));
    Finding::addPick(PickList::Favourites, QStringLiteral("B"), folder(2), at(1));
    // Another program of the suite may have left two entries of one pick.
    settings.set(QStringLiteral("Favourites"), QStringLiteral("46000.5"),
                 QStringLiteral("A again\x01") + folder(1));
    EXPECT_TRUE(Finding::removePick(PickList::Favourites, folder(1)));
    EXPECT_EQ(picksOf(PickList::Favourites), QStringList{folder(2)});
    EXPECT_FALSE(Finding::removePick(PickList::Favourites, folder(1)));

    Finding::addPick(PickList::Recent, QStringLiteral("C"), folder(3), at(2));
    Finding::clearPicks(PickList::Recent);
    EXPECT_TRUE(Finding::storedPicks(PickList::Recent).isEmpty());
    EXPECT_EQ(picksOf(PickList::Favourites), QStringList{folder(2)});
}
