// SPDX-License-Identifier: GPL-3.0-or-later
#include "finder/FinderRemote.h"

#include "IndexOfNames.h"
#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "finder/Picks.h"
#include "index/OpenIndex.h"
#include "index/Packing.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using Finding::FinderRemote;
using Finding::SearchFlow;

namespace {

// Three people called Jones in the Name index (references 101 to 103) and
// the same names in the telephone index (201 to 203).
class FinderRemoteTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Indexing::setIndexFolder(m_dir.path());
        for (const int index : {int(Indexing::NameIndex), int(Indexing::TelNumIndex)}) {
            QList<std::pair<QString, int>> names;
            for (int n = 1; n <= 3; ++n)
                names.append({QStringLiteral("Jones %1").arg(n), index * 100 + n});
            Testing::writeIndexOfNames(m_dir.path(), index, names);
        }
        flow.pageClicked(SearchFlow::SimplePage);
    }
    void TearDown() override { Indexing::setIndexFolder(QString()); }

    QString firstPickAfterSearch()
    {
        flow.setClue(QStringLiteral("Jones"));
        flow.doSearch();
        return flow.selectedPick() ? flow.selectedPick()->pick : QString();
    }

    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    QTemporaryDir m_dir;
    SearchFlow flow;
    FinderRemote remote{flow};
};

} // namespace

TEST_F(FinderRemoteTest, PrepareSetsTheKindsAndTheUsersSwitchByCapitalLetters)
{
    struct Case
    {
        const char* letters;
        std::array<bool, 4> flags;
        bool users;
    };
    const Case cases[] = {
        {"NOCF", {true, true, true, true}, false},
        {"nocf", {false, false, false, false}, false},
        {"CU", {false, false, true, false}, true},
        {"", {false, false, false, false}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.letters);
        remote.RemoteOp(FinderRemote::Prepare, QString::fromLatin1(c.letters), QString());
        EXPECT_EQ(flow.typeFlags(), c.flags);
        EXPECT_EQ(remote.usersAllowed(), c.users);
    }
}

// An empty start page keeps the page of the last display, unless that is
// the users page and the users are no longer allowed.
// The toolbar is told which page button each change presses.
TEST_F(FinderRemoteTest, PrepareLeavesTheUsersPageOnlyWhenTheUsersAreNoLongerAllowed)
{
    QStringList pressed;
    QObject::connect(&flow, &SearchFlow::pageButtonPressed,
                     [&](const QString& button) { pressed << button; });
    remote.RemoteOp(FinderRemote::Prepare, QStringLiteral("NOCFU"), SearchFlow::UsersPage);
    EXPECT_EQ(flow.currentPage(), SearchFlow::UsersPage);
    remote.RemoteOp(FinderRemote::Prepare, QStringLiteral("NU"), QString());
    EXPECT_EQ(flow.currentPage(), SearchFlow::UsersPage);
    remote.RemoteOp(FinderRemote::Prepare, QStringLiteral("NOCF"), QString());
    EXPECT_EQ(flow.currentPage(), SearchFlow::SimplePage);
    EXPECT_EQ(pressed, (QStringList{SearchFlow::UsersPage, SearchFlow::SimplePage}));

    flow.pageClicked(SearchFlow::ContentPage);
    remote.RemoteOp(FinderRemote::Prepare, QStringLiteral("NOCF"), QString());
    EXPECT_EQ(flow.currentPage(), SearchFlow::ContentPage);
    remote.RemoteOp(FinderRemote::Prepare, QStringLiteral("NOCF"), SearchFlow::SimplePage);
    EXPECT_EQ(flow.currentPage(), SearchFlow::SimplePage);
}

TEST_F(FinderRemoteTest, SwitchesFollowTheNumbersGiven)
{
    for (const auto& [param, on] : {std::pair{"0", false}, std::pair{"2", true},
                                    std::pair{"-1", true}, std::pair{"0", false}}) {
        remote.RemoteOp(FinderRemote::EnableNew, QString::fromLatin1(param));
        EXPECT_EQ(remote.newEnabled(), on) << param;
    }
    remote.RemoteOp(FinderRemote::ShowToolTips, 0);
    EXPECT_FALSE(remote.toolTipsShown());
    remote.RemoteOp(FinderRemote::ShowToolTips, 1);
    EXPECT_TRUE(remote.toolTipsShown());

    // With NEW off, 1110 runs the close-request handling.
    int closeRequests = 0;
    QObject::connect(&remote, &FinderRemote::closeRequestHandlingRequested,
                     [&] { ++closeRequests; });
    remote.RemoteOp(FinderRemote::NewOrClose);
    EXPECT_EQ(closeRequests, 1);
}

TEST_F(FinderRemoteTest, APresetFieldIsSearchedOnceInPlaceOfTheButtons)
{
    remote.RemoteOp(FinderRemote::PresetField, 3);
    EXPECT_EQ(firstPickAfterSearch(), QStringLiteral("301"));
    flow.setClue(QString());
    EXPECT_EQ(firstPickAfterSearch(), QStringLiteral("101"));
}

// Only the main window's mode reaches a window; every pick hides the finder.
TEST_F(FinderRemoteTest, APickGoesBackToTheMainWindowInItsModeOnly)
{
    QStringList toMain;
    int hidden = 0;
    QObject::connect(&remote, &FinderRemote::pickedForMainWindow,
                     [&](const QString& pick) { toMain << pick; });
    QObject::connect(&remote, &FinderRemote::hideRequested, [&] { ++hidden; });

    firstPickAfterSearch();
    flow.pickSelected(); // caller mode 0
    EXPECT_EQ(hidden, 1);
    EXPECT_TRUE(toMain.isEmpty());

    remote.RemoteOp(FinderRemote::SetCallerMode, FinderRemote::MainWindowMode);
    flow.selectRow(2);
    flow.pickSelected();
    EXPECT_EQ(hidden, 2);
    EXPECT_EQ(toMain, QStringList{QStringLiteral("103")});
}

TEST_F(FinderRemoteTest, AddFavouriteTakesTheSelectedRowAndAFaultNamesTheParameters)
{
    firstPickAfterSearch();
    flow.selectRow(1);
    remote.RemoteOp(FinderRemote::AddFavourite);
    const QList<Finding::StoredPick> favourites =
        Finding::storedPicks(Finding::PickList::Favourites);
    ASSERT_EQ(favourites.size(), 1);
    EXPECT_EQ(favourites[0].pick, QStringLiteral("102"));
    EXPECT_TRUE(favourites[0].display.startsWith(QStringLiteral("Jones 2")))
        << favourites[0].display.toStdString();
    EXPECT_EQ(
        flow.statusText(),
        QStringLiteral("Added \"%1\" to your favourites.").arg(favourites[0].display.simplified()));

    host.expectBox(Platform::MsgAnswer::Ok,
                   QStringLiteral("frm_Find:RemoteOp  Error:(40000:x) Overflow"));
    remote.RemoteOp(FinderRemote::SetCallerMode, 40000, QStringLiteral("x"));
    EXPECT_EQ(remote.callerMode(), 0);
    EXPECT_EQ(host.boxes.size(), 1);
}

// Escape leaves either panel for the search page; on the properties panel,
// unlike its Cancel button, it does not end the finder's display.
TEST_F(FinderRemoteTest, EscapeClosesEitherPanelAndKeepsTheFinder)
{
    int hidden = 0;
    QObject::connect(&remote, &FinderRemote::hideRequested, [&] { ++hidden; });
    remote.RemoteOp(FinderRemote::OpenProperties);
    ASSERT_TRUE(remote.properties().shown());
    remote.closePanel();
    EXPECT_FALSE(remote.properties().shown());
    EXPECT_FALSE(remote.openedByRemote());
    EXPECT_EQ(hidden, 0);

    remote.openNewContact();
    ASSERT_TRUE(remote.newContact().shown());
    remote.closePanel();
    EXPECT_FALSE(remote.newContact().shown());
    EXPECT_EQ(hidden, 0);

    remote.RemoteOp(FinderRemote::OpenProperties);
    remote.properties().cancel();
    EXPECT_EQ(hidden, 1);
}
