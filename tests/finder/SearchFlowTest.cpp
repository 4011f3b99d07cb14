// SPDX-License-Identifier: GPL-3.0-or-later
#include "finder/SearchFlow.h"

#include "IndexOfNames.h"
#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "finder/Picks.h"
#include "index/IndexFile.h"
#include "index/OpenIndex.h"
#include "index/Packing.h"
#include "shared/Settings.h"
#include "shared/Tweaks.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using Finding::ClueKey;
using Finding::SearchFlow;

namespace {

// A Name index of `smiths` people called Smith (references "1" up) and
// three called Jones, in an index folder of its own.
class SearchFlowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Indexing::setIndexFolder(m_dir.path());
        writeNames(16);
        flow.pageClicked(SearchFlow::SimplePage);
    }
    void TearDown() override { Indexing::setIndexFolder(QString()); }

    void writeNames(int smiths)
    {
        QList<std::pair<QString, int>> names;
        for (int n = 1; n <= smiths; ++n)
            names.append({QStringLiteral("Smith %1").arg(n), n});
        for (int n = 1; n <= 3; ++n)
            names.append({QStringLiteral("Jones %1").arg(n), 100 + n});
        Testing::writeIndexOfNames(m_dir.path(), Indexing::NameIndex, names, 3);
    }

    void search(const QString& clue)
    {
        flow.setClue(clue);
        flow.clueKey(ClueKey::Enter);
    }

    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    QTemporaryDir m_dir;
    SearchFlow flow;
};

} // namespace

TEST_F(SearchFlowTest, SimpleSearchStartsWithOneFieldAndStoresTheFieldNumber)
{
    ASSERT_EQ(flow.fieldButtons().size(), 4);
    EXPECT_EQ(flow.fieldButtons()[0], (Finding::FieldButton{QStringLiteral(" Name"), 1, true}));
    EXPECT_EQ(flow.fieldImage(0), QStringLiteral("RY"));
    EXPECT_EQ(flow.fieldImage(1), QStringLiteral("RN"));
    EXPECT_EQ(Global::GetRegistryData(QStringLiteral("Config"), QStringLiteral("SimpleSearch"))
                  .toString(),
              QStringLiteral("1"));

    // A click, then the finder shown anew: the third field is pressed.
    flow.fieldButtonClicked(2);
    SearchFlow again;
    again.pageClicked(SearchFlow::SimplePage);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(again.fieldButtons()[i].pressed, i == 2) << i;

    // Advanced search: check buttons, stored as numbers in button order.
    again.pageClicked(SearchFlow::AdvancedPage);
    EXPECT_FALSE(again.simpleMode());
    again.fieldButtonClicked(3);
    again.fieldButtonClicked(1);
    EXPECT_EQ(again.fieldImage(1), QStringLiteral("TY"));
    EXPECT_EQ(Global::GetRegistryData(QStringLiteral("Config"), QStringLiteral("AdvancedSearch"))
                  .toString(),
              QStringLiteral("2,4"));
}

TEST_F(SearchFlowTest, ASearchListsRankedRowsAndEnterThenPicksTheSelectedOne)
{
    QStringList picks;
    QObject::connect(&flow, &SearchFlow::picked, [&](const QString& pick) { picks << pick; });
    search(QStringLiteral("Jones"));
    EXPECT_EQ(flow.results().count(), 3);
    EXPECT_TRUE(flow.statusText().startsWith(QStringLiteral("Found 3 hit(s).")));
    EXPECT_TRUE(flow.listEnabled());
    EXPECT_EQ(flow.selectedRow(), 0);
    EXPECT_FALSE(flow.startEnabled());

    flow.clueKey(ClueKey::Down);
    flow.clueKey(ClueKey::Enter);
    ASSERT_EQ(picks.size(), 1);
    EXPECT_EQ(picks[0], QStringLiteral("102"));
    EXPECT_EQ(Finding::storedPicks(Finding::PickList::Recent).value(0).pick, QStringLiteral("102"));

    // Nothing found: the status says so and the list is off.
    search(QStringLiteral("Zzqx"));
    EXPECT_EQ(flow.statusText(), QStringLiteral("No matches found."));
    EXPECT_FALSE(flow.listEnabled());
    EXPECT_EQ(flow.selectedRow(), -1);

    // An index left locked (nobody works on it) is searched, and the status
    // says so after its count.
    QFile name(Indexing::indexPath(m_dir.path(), Indexing::NameIndex));
    ASSERT_TRUE(name.open(QIODevice::ReadWrite));
    name.seek(Indexing::FlagPosition - 1);
    name.write(QByteArray(2, '\xff'));
    name.close();
    search(QStringLiteral("Jones"));
    EXPECT_EQ(flow.results().count(), 3);
    EXPECT_TRUE(flow.statusText().endsWith(
        QStringLiteral("   The 'Name' index was left locked for maintenance, though nobody is "
                       "working on it, so it was searched as it stands. A rebuild of the index "
                       "frees it.")))
        << flow.statusText().toStdString();
}

// A search turns Start off until the clue changes; a field button or a page
// change with a clue in the box turns it on again, and a page change clears
// the status of the page left.
TEST_F(SearchFlowTest, StartComesBackAfterAFieldButtonOrAPageChangeWithAClue)
{
    QStringList pressed;
    QObject::connect(&flow, &SearchFlow::pageButtonPressed,
                     [&](const QString& button) { pressed << button; });
    search(QStringLiteral("Smith"));
    ASSERT_FALSE(flow.startEnabled());
    ASSERT_FALSE(flow.statusText().isEmpty());
    flow.fieldButtonClicked(0);
    EXPECT_TRUE(flow.startEnabled());

    search(QStringLiteral("Smith"));
    ASSERT_FALSE(flow.startEnabled());
    flow.pageClicked(SearchFlow::AdvancedPage);
    EXPECT_TRUE(flow.startEnabled());
    EXPECT_TRUE(flow.statusText().isEmpty());
    EXPECT_EQ(pressed, QStringList{SearchFlow::AdvancedPage});

    flow.setClue(QString());
    flow.pageClicked(SearchFlow::SimplePage);
    EXPECT_FALSE(flow.startEnabled());
}

TEST_F(SearchFlowTest, UpAndDownWrapAndPagesStopAtTheEnds)
{
    search(QStringLiteral("Smith"));
    ASSERT_EQ(flow.results().count(), 16);
    struct Step
    {
        ClueKey key;
        int row;
    };
    const Step steps[] = {{ClueKey::Up, 15},       {ClueKey::Down, 0},     {ClueKey::Down, 1},
                          {ClueKey::PageUp, 0},    {ClueKey::PageDown, 5}, {ClueKey::PageDown, 10},
                          {ClueKey::PageDown, 15}, {ClueKey::PageDown, 15}};
    for (const Step& step : steps) {
        EXPECT_TRUE(flow.clueKey(step.key));
        EXPECT_EQ(flow.selectedRow(), step.row);
    }
    flow.selectRow(12);
    flow.clueKey(ClueKey::PageDown); // three rows left: the last
    EXPECT_EQ(flow.selectedRow(), 15);

    // Without a selected row in simple search they press the field buttons.
    flow.selectRow(-1);
    flow.clueKey(ClueKey::Up);
    EXPECT_TRUE(flow.fieldButtons()[3].pressed);
    flow.clueKey(ClueKey::Down);
    EXPECT_TRUE(flow.fieldButtons()[0].pressed);
    EXPECT_EQ(Global::GetRegistryData(QStringLiteral("Config"), QStringLiteral("SimpleSearch"))
                  .toString(),
              QStringLiteral("1"));

    // Escape empties a list with rows and leaves an empty one to the window.
    EXPECT_TRUE(flow.clueKey(ClueKey::Escape));
    EXPECT_EQ(flow.results().count(), 0);
    EXPECT_TRUE(flow.statusText().isEmpty());
    EXPECT_FALSE(flow.clueKey(ClueKey::Escape));
}

TEST_F(SearchFlowTest, TheHistoryKeepsEachClueOnceAndBackGoesToThePreviousOne)
{
    search(QStringLiteral("Smith 1"));
    search(QStringLiteral("Jones"));
    search(QStringLiteral("Smith 2"));
    EXPECT_EQ(flow.backMenu(), (QStringList{QStringLiteral("Jones"), QStringLiteral("Smith 1")}));
    EXPECT_TRUE(flow.backEnabled());

    flow.back();
    EXPECT_EQ(flow.clue(), QStringLiteral("Jones"));
    EXPECT_EQ(flow.results().count(), 3);
    // Searched again, a clue is not added twice, whatever its case.
    search(QStringLiteral("jones"));
    EXPECT_EQ(flow.backMenu(), (QStringList{QStringLiteral("Jones"), QStringLiteral("Smith 1")}));
    flow.backMenuChosen(QStringLiteral("Smith 1"));
    EXPECT_EQ(flow.clue(), QStringLiteral("Smith 1"));
}

// The refine row comes with more hits than RefineSearchTrigger (15).
TEST_F(SearchFlowTest, RefineIsOfferedAboveTheTriggerAndItsDividerIsNeverPicked)
{
    QStringList picks;
    QObject::connect(&flow, &SearchFlow::picked, [&](const QString& pick) { picks << pick; });
    search(QStringLiteral("Smith"));
    EXPECT_TRUE(flow.refineShown());
    writeNames(15);
    search(QStringLiteral("smith")); // another spelling is searched again

    EXPECT_EQ(flow.results().count(), 15);
    EXPECT_FALSE(flow.refineShown());

    flow.setRefineText(QStringLiteral("smith 1"));
    flow.refineKey(ClueKey::Enter);
    // Smith 1 and Smith 10 to 15 above the divider.
    ASSERT_EQ(flow.results().count(), 16);
    EXPECT_TRUE(Indexing::ResultsList::isDivider(flow.results().row(7)));
    EXPECT_EQ(flow.selectedRow(), 0);
    flow.selectRow(7);
    flow.refineKey(ClueKey::Enter); // the same text again: a pick, of nothing
    EXPECT_TRUE(picks.isEmpty());
}

TEST_F(SearchFlowTest, ASearchWithoutFieldsBeepsAndAPresetListIsUsedOnce)
{
    flow.pageClicked(SearchFlow::AdvancedPage);
    for (int i = 0; i < 4; ++i) {
        if (flow.fieldButtons()[i].pressed)
            flow.fieldButtonClicked(i);
    }
    search(QStringLiteral("Smith"));
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(flow.results().count(), 0);

    flow.presetFields({Indexing::NameIndex});
    search(QStringLiteral("Jones"));
    EXPECT_EQ(flow.results().count(), 3);
    search(QStringLiteral("Smith"));
    EXPECT_EQ(host.beeps, 2);

    // The content page searches nothing.
    flow.pageClicked(SearchFlow::ContentPage);
    EXPECT_TRUE(flow.fieldButtons().isEmpty());
    search(QStringLiteral("Jones 1"));
    EXPECT_EQ(flow.results().count(), 0);
}

// A click on the progress bar stops the search: here it comes as the
// search starts, before the first index is read.
TEST_F(SearchFlowTest, AnInterruptedSearchStopsAndKeepsWhatItFound)
{
    QObject::connect(&flow, &SearchFlow::progressChanged, &flow, [&](int percent) {
        if (percent == 0)
            flow.interruptSearch();
    });
    search(QStringLiteral("Smith"));
    EXPECT_EQ(flow.results().count(), 0);
    EXPECT_EQ(flow.statusText(), QStringLiteral("No matches found."));

    // The next search starts afresh.
    QObject::disconnect(&flow, &SearchFlow::progressChanged, &flow, nullptr);
    search(QStringLiteral("Jones"));
    EXPECT_EQ(flow.results().count(), 3);
}

// The event queue runs during a search (the window keeps painting); a click
// that comes meanwhile changes nothing until the search has ended.
TEST_F(SearchFlowTest, StepsAskedForDuringASearchWaitForItsEnd)
{
    struct Impatient : Testing::ScriptedUiHost
    {
        std::function<void()> onEvents;
        void doEvents() override
        {
            ScriptedUiHost::doEvents();
            if (onEvents)
                std::exchange(onEvents, nullptr)();
        }
    } impatient;
    bool busyMeanwhile = false;
    impatient.onEvents = [&] {
        busyMeanwhile = flow.busy();
        flow.pageClicked(SearchFlow::ContentPage);
        flow.setClue(QStringLiteral("Jones"));
        flow.clueKey(ClueKey::Enter);
    };
    search(QStringLiteral("Smith"));
    EXPECT_TRUE(busyMeanwhile);
    EXPECT_FALSE(flow.busy());
    EXPECT_EQ(flow.currentPage(), SearchFlow::SimplePage);
    EXPECT_EQ(flow.results().count(), 16);
    // The clue typed meanwhile is searched by the next Enter.
    flow.clueKey(ClueKey::Enter);
    EXPECT_EQ(flow.results().count(), 3);
}
