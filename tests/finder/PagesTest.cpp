// SPDX-License-Identifier: GPL-3.0-or-later
#include "DemoWorkspace.h"
#include "ScriptedUiHost.h"
#include "finder/Picks.h"
#include "finder/SearchFlow.h"
#include "shared/Paths.h"

#include <QDir>

#include <gtest/gtest.h>

using Finding::SearchFlow;

namespace {

// The BROWSE and USERS pages over a demo workspace.
class PagesTest : public testing::Test
{
protected:
    void SetUp() override
    {
        filing = Global::GetDataFolder(QStringLiteral("FilingFolder"));
        flow.pageClicked(SearchFlow::BrowsePage);
    }

    QStringList dataTexts() const
    {
        QStringList texts;
        for (int i = 0; i < flow.results().count(); ++i)
            texts << flow.results().row(i).data;
        return texts;
    }

    // A listed row, not the first, whose folder holds folders of its own.
    int rowWithChildren() const
    {
        for (int i = 3; i < flow.results().count(); ++i) {
            const QString path = flow.results().row(i).data;
            if (path != Indexing::ResultsList::DividerData && path != filing &&
                !QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty())
                return i;
        }
        return -1;
    }

    Testing::ScriptedUiHost host;
    Testing::DemoWorkspace workspace{12};
    const Demo::DemoSummary& made = workspace.made;
    QString filing;
    SearchFlow flow;
};

} // namespace

TEST_F(PagesTest, TheFilingFolderComesFirstWithItsIndexedFoldersUnderADivider)
{
    EXPECT_FALSE(flow.clueEnabled());
    EXPECT_FALSE(flow.displaySwitches());
    ASSERT_GT(flow.results().count(), 2);
    EXPECT_EQ(flow.results().row(0).data, filing);
    EXPECT_EQ(flow.results().row(0).image, SearchFlow::FilingImage);
    EXPECT_TRUE(Indexing::ResultsList::isDivider(flow.results().row(1)));
    EXPECT_EQ(flow.selectedRow(), 0);
    for (int i = 2; i < flow.results().count(); ++i) {
        const Indexing::ResultsList::Row& row = flow.results().row(i);
        EXPECT_TRUE(row.data.startsWith(filing + QLatin1Char('/')));
        EXPECT_GE(row.image, 1) << row.data.toStdString();
        EXPECT_LE(row.image, 5) << row.data.toStdString(); // 5: not indexed, yet browsed
        EXPECT_TRUE(row.display.startsWith(QStringLiteral("   ")));
    }
}

// Opening a folder keeps only the path to it above the divider; a plain
// click picks nothing, an activation on the picture picks.
TEST_F(PagesTest, OpeningAFolderKeepsThePathAndOnlyAnActivationPicks)
{
    QStringList picks;
    QObject::connect(&flow, &SearchFlow::picked, [&](const QString& pick) { picks << pick; });
    const int parent = rowWithChildren();
    ASSERT_GT(parent, 2);
    const QString opened = flow.results().row(parent).data;
    flow.rowActivated(parent, 2);
    ASSERT_GE(flow.results().count(), 4);
    EXPECT_EQ(dataTexts().mid(0, 3),
              (QStringList{filing, opened, Indexing::ResultsList::DividerData}));
    EXPECT_EQ(flow.selectedRow(), 1);
    const Indexing::ResultsList::Row child = flow.results().row(3);
    EXPECT_TRUE(child.data.startsWith(opened + QLatin1Char('/')));
    EXPECT_TRUE(child.display.startsWith(QStringLiteral("      ")));

    flow.rowClicked(3);
    EXPECT_TRUE(picks.isEmpty());
    flow.rowActivated(3, 1);
    EXPECT_EQ(picks, QStringList{child.data});
    EXPECT_EQ(Global::ResolveFolderRef(picks[0]), child.data);
    // The recent entry is the one a search makes of the folder: its name
    // without the row's indentation, and its reference, so that the same
    // folder picked from a search replaces it.
    const QString reference = Global::folderReference(child.data);
    ASSERT_FALSE(reference.isEmpty());
    EXPECT_EQ(
        Finding::storedPicks(Finding::PickList::Recent),
        (QList<Finding::StoredPick>{{Finding::storedPicks(Finding::PickList::Recent).value(0).name,
                                     child.display.trimmed(), reference}}));
    Finding::addPick(Finding::PickList::Recent,
                     QStringLiteral("\x01"
                                    "BFound\x01"
                                    "b"),
                     reference);
    EXPECT_EQ(Finding::storedPicks(Finding::PickList::Recent).size(), 1);

    // Back up to the filing folder: its folders are listed again.
    flow.rowActivated(0, 2);
    EXPECT_EQ(flow.results().row(0).data, filing);
    EXPECT_TRUE(Indexing::ResultsList::isDivider(flow.results().row(1)));
    EXPECT_EQ(flow.results().row(parent).data, opened);
}

// BROWSE keeps the search pages' field buttons, greyed: a click on one
// neither stores a field nor clears the selected row.
TEST_F(PagesTest, FieldButtonsChooseNothingOnBrowse)
{
    flow.pageClicked(SearchFlow::SimplePage);
    const QVariant stored =
        Global::GetRegistryData(QStringLiteral("Config"), QStringLiteral("SimpleSearch"));
    flow.pageClicked(SearchFlow::BrowsePage);
    ASSERT_EQ(flow.fieldButtons().size(), 4);
    ASSERT_EQ(flow.selectedRow(), 0);
    flow.fieldButtonClicked(2);
    EXPECT_EQ(Global::GetRegistryData(QStringLiteral("Config"), QStringLiteral("SimpleSearch")),
              stored);
    EXPECT_FALSE(flow.fieldButtons()[2].pressed);
    EXPECT_EQ(flow.selectedRow(), 0);
}

// One user is picked by a click; Many are chosen by clicks and handed back by
// OK in list order; All hands back every user listed.
TEST_F(PagesTest, TheUsersPageListsTheUsersAndHandsBackOneOrMany)
{
    QStringList picks;
    QObject::connect(&flow, &SearchFlow::picked, [&](const QString& pick) { picks << pick; });
    flow.pageClicked(SearchFlow::UsersPage);
    EXPECT_FALSE(flow.clueEnabled());
    EXPECT_FALSE(flow.usersMany());
    ASSERT_GE(flow.results().count(), 2);
    const auto entry = [&](int row) {
        const Indexing::ResultsList::Row& r = flow.results().row(row);
        return r.data.mid(r.data.indexOf(QChar(1)) + 1) + QChar(1) + r.display + QChar(0);
    };
    EXPECT_TRUE(entry(0).startsWith(QStringLiteral("INT:")));
    EXPECT_TRUE(flow.results().row(0).display.startsWith(QStringLiteral("\x01"
                                                                        "B")));
    bool ours = false;
    for (int i = 0; i < flow.results().count(); ++i)
        ours = ours || flow.results().row(i).data.endsWith(QStringLiteral("INT:") + made.user);
    EXPECT_TRUE(ours) << made.user.toStdString();
    // Entering the page again lists its users anew, not twice.
    const int users = flow.results().count();
    flow.pageClicked(SearchFlow::UsersPage);
    EXPECT_EQ(flow.results().count(), users);

    flow.rowClicked(1);
    EXPECT_EQ(picks, QStringList{entry(1)});
    EXPECT_TRUE(Finding::storedPicks(Finding::PickList::Recent).isEmpty());

    EXPECT_TRUE(flow.displaySwitches());
    flow.setUsersMany(true);
    EXPECT_FALSE(flow.displaySwitches());
    flow.rowClicked(1);
    EXPECT_EQ(picks.size(), 1);
    flow.setChosenRows({1, 0});
    flow.usersOk();
    EXPECT_EQ(picks.value(1), entry(0) + entry(1));
    flow.usersAll();
    QString all;
    for (int i = 0; i < flow.results().count(); ++i)
        all += entry(i);
    EXPECT_EQ(picks.value(2), all);

    const SearchFlow::UsersRow row = SearchFlow::usersRow();
    EXPECT_EQ(row.prompt, QStringLiteral("Selection:"));
    EXPECT_EQ((QStringList{row.one, row.many, row.all, row.ok}),
              (QStringList{QStringLiteral("One"), QStringLiteral("Many"), QStringLiteral("All"),
                           QStringLiteral("&OK")}));
}
