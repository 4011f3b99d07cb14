// SPDX-License-Identifier: GPL-3.0-or-later
#include "finder/IndexProperties.h"

#include "DemoWorkspace.h"
#include "ScriptedUiHost.h"
#include "finder/FinderRemote.h"
#include "index/Build.h"
#include "index/OpenIndex.h"
#include "index/Packing.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/RunTimeError.h"
#include "shared/Paths.h"
#include "shared/Settings.h"

#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

using Finding::FinderRemote;
using Finding::IndexProperties;
using Finding::ListColours;

namespace {

// The panel over a small demo workspace, opened as the SETUP button opens it.
class IndexPropertiesTest : public testing::Test
{
protected:
    void open() { remote.RemoteOp(FinderRemote::OpenProperties); }
    static void storeColours(const QString& highlight, const QString& hover)
    {
        Global::SaveRegistryData(QStringLiteral("Config"), QStringLiteral("HighlightColour"),
                                 highlight);
        Global::SaveRegistryData(QStringLiteral("Config"), QStringLiteral("HoverColour"), hover);
    }
    static ListColours storedColours()
    {
        const auto read = [](const char* name) {
            return Global::GetRegistryData(QStringLiteral("Config"), QLatin1String(name))
                .toString();
        };
        return {read("HighlightColour").toInt(), read("HoverColour").toInt()};
    }
    // The row of a colour in the colour boxes.
    static int rowOf(int colour) { return IndexProperties::swatchColours().indexOf(colour); }

    Testing::ScriptedUiHost host;
    Testing::DemoWorkspace workspace{12};
    Finding::SearchFlow flow;
    FinderRemote remote{flow};
    IndexProperties& props = remote.properties();
};

} // namespace

TEST_F(IndexPropertiesTest, OpeningFillsThePanelAfreshWithNothingTicked)
{
    QSignalSpy shown(&props, &IndexProperties::shownChanged);
    open();
    EXPECT_TRUE(remote.openedByRemote());
    EXPECT_TRUE(props.shown());
    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(props.title(), "Indexing Properties");
    EXPECT_EQ(props.tabCaptions(), (QStringList{"General", "Maintenance", "Rebuild"}));
    EXPECT_EQ(props.colourPrompts(),
              (QStringList{"'Matching text' colour:", "'Float over' colour:"}));
    EXPECT_EQ(props.okCaption(), "&OK");
    EXPECT_EQ(props.cancelCaption(), "&Cancel");
    EXPECT_EQ(props.rebuildCaption(), "Rebuild");
    EXPECT_EQ(props.workingIn(), Global::GetDataFolder(QStringLiteral("FilingFolder")));
    EXPECT_FALSE(props.workingIn().isEmpty());

    const QList<IndexProperties::RebuildRow> expected{{"\x01"
                                                       "BName\x01"
                                                       "b",
                                                       "1", false, "N"},
                                                      {"\x01"
                                                       "BPostcode\x01"
                                                       "b",
                                                       "2", false, "N"},
                                                      {"\x01"
                                                       "BPhone/Fax/E-mail\x01"
                                                       "b",
                                                       "3", false, "N"},
                                                      {"\x01"
                                                       "BUser-defined 1\x01"
                                                       "b",
                                                       "4", false, "N"}};
    EXPECT_EQ(props.rebuildRows(), expected);
    EXPECT_FALSE(props.rebuildEnabled());

    // Opened again after a tick: unticked again.
    props.rowClicked(0);
    props.cancel();
    open();
    EXPECT_EQ(props.rebuildRows(), expected);
    EXPECT_FALSE(props.rebuildEnabled());
}

TEST_F(IndexPropertiesTest, TheStoredColoursAreSelectedWithinTheirRange)
{
    struct Case
    {
        const char* highlight; // nullptr: nothing stored (the demo stores 9 and 12)
        const char* hover;
        ListColours selected;
    };
    const Case cases[] = {
        {"0", "15", {0, 15}},
        {nullptr, nullptr, {9, 12}},
        {"3", "5", {3, 5}},
        {"16", "-1", {9, 12}}, // out of range: the defaults
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.highlight ? c.highlight : "none");
        if (c.highlight)
            storeColours(QLatin1String(c.highlight), QLatin1String(c.hover));
        else
            storeColours(QStringLiteral("KILL"), QStringLiteral("KILL"));
        open();
        EXPECT_EQ(props.chosenColours(), c.selected);
        EXPECT_EQ(props.highlightRow(), rowOf(c.selected.highlight));
        EXPECT_EQ(props.hoverRow(), rowOf(c.selected.hover));
        props.cancel();
    }
    // The boxes list the palette from white down to black.
    EXPECT_EQ(IndexProperties::swatchColours().first(), 15);
    EXPECT_EQ(IndexProperties::swatchColours().last(), 0);
    EXPECT_EQ(IndexProperties::swatchColours().size(), 16);
}

TEST_F(IndexPropertiesTest, RebuildIsEnabledExactlyWhileARowIsTicked)
{
    open();
    QSignalSpy enabled(&props, &IndexProperties::rebuildEnabledChanged);
    props.rowClicked(1);
    EXPECT_TRUE(props.rebuildRows()[1].ticked);
    EXPECT_EQ(props.rebuildRows()[1].image, "Y");
    EXPECT_TRUE(props.rebuildEnabled());
    props.rowClicked(3);
    props.rowClicked(1);
    EXPECT_EQ(props.rebuildRows()[1].image, "N");
    EXPECT_TRUE(props.rebuildEnabled()); // row 3 is still ticked
    props.rowClicked(3);
    EXPECT_FALSE(props.rebuildEnabled());
    EXPECT_EQ(enabled.count(), 2);

    // A click that the list flags, or off the rows, changes nothing.
    props.rowClicked(0, true, false);
    props.rowClicked(0, false, true);
    props.rowClicked(4);
    props.rowClicked(-1);
    for (const IndexProperties::RebuildRow& row : props.rebuildRows())
        EXPECT_FALSE(row.ticked);
    EXPECT_FALSE(props.rebuildEnabled());
    // Rebuild with nothing ticked does nothing.
    EXPECT_FALSE(props.rebuild());
    EXPECT_TRUE(props.shown());
}

TEST_F(IndexPropertiesTest, OkStoresAndAppliesTheColoursAndEndsTheFindersDisplay)
{
    open();
    QSignalSpy applied(&props, &IndexProperties::coloursApplied);
    QSignalSpy finderHidden(&remote, &FinderRemote::hideRequested);
    props.highlightRowChosen(rowOf(2));
    props.hoverRowChosen(rowOf(14));
    props.ok();
    EXPECT_FALSE(props.shown());
    EXPECT_EQ(storedColours(), (ListColours{2, 14}));
    ASSERT_EQ(applied.count(), 1);
    EXPECT_EQ(applied[0][0].value<ListColours>(), (ListColours{2, 14}));
    EXPECT_EQ(finderHidden.count(), 1);
    EXPECT_FALSE(remote.openedByRemote());
    EXPECT_GE(host.eventRuns, 2);

    // The next opening shows what was stored.
    open();
    EXPECT_EQ(props.chosenColours(), (ListColours{2, 14}));
}

TEST_F(IndexPropertiesTest, CancelKeepsTheStoredColoursAndTheList)
{
    storeColours(QStringLiteral("4"), QStringLiteral("6"));
    open();
    QSignalSpy applied(&props, &IndexProperties::coloursApplied);
    QSignalSpy finderHidden(&remote, &FinderRemote::hideRequested);
    props.highlightRowChosen(rowOf(1));
    props.hoverRowChosen(rowOf(0));
    props.cancel();
    EXPECT_FALSE(props.shown());
    EXPECT_EQ(storedColours(), (ListColours{4, 6}));
    EXPECT_EQ(applied.count(), 0);
    EXPECT_EQ(finderHidden.count(), 1);
    // A second OK or Cancel of a closed panel does nothing.
    props.ok();
    props.cancel();
    EXPECT_EQ(storedColours(), (ListColours{4, 6}));
    EXPECT_EQ(finderHidden.count(), 1);
}

TEST_F(IndexPropertiesTest, TheWindowsCloseRequestBeepsWhileThePanelShows)
{
    EXPECT_FALSE(props.refuseClose());
    open();
    EXPECT_TRUE(props.refuseClose());
    EXPECT_EQ(host.beeps, 1);
    props.cancel();
    EXPECT_FALSE(props.refuseClose());
    EXPECT_EQ(host.beeps, 1);
}

TEST_F(IndexPropertiesTest, RebuildRebuildsTheTickedIndexesThenRunsOk)
{
    const QString folder = Indexing::indexFolder();
    const QString name = Indexing::indexPath(folder, Indexing::NameIndex);
    const QString phone = Indexing::indexPath(folder, Indexing::TelNumIndex);
    QFile::remove(name);
    QFile::remove(phone);
    open();
    props.rowClicked(0);
    props.highlightRowChosen(rowOf(5));

    // While it runs, the window's events go on: a second Rebuild, a tick,
    // OK, Cancel and opening the panel again do nothing.
    QList<int> percents;
    bool secondRebuild = true;
    bool shownMeanwhile = false;
    QStringList labels;
    QObject::connect(&props, &IndexProperties::progressChanged, &props, [&](int percent) {
        percents << percent;
        secondRebuild = secondRebuild && !props.rebuild();
        props.rowClicked(2);
        props.ok();
        props.cancel();
        open();
        shownMeanwhile = props.shown();
    });
    QObject::connect(&props, &IndexProperties::workingInChanged, &props,
                     [&](const QString& label) { labels << label; });
    QSignalSpy progress(&props, &IndexProperties::progressShown);
    EXPECT_TRUE(props.rebuild());
    EXPECT_TRUE(secondRebuild);
    EXPECT_TRUE(shownMeanwhile);
    ASSERT_FALSE(percents.isEmpty());
    EXPECT_EQ(percents.first(), 0);
    EXPECT_EQ(progress.count(), 2);
    EXPECT_TRUE(progress[0][0].toBool());
    EXPECT_FALSE(progress[1][0].toBool());
    EXPECT_FALSE(labels.isEmpty()); // the rebuild's progress in lbl_WorkingIn
    EXPECT_FALSE(props.rebuilding());
    // The status says what was done, with the rebuild's last count.
    EXPECT_TRUE(flow.statusText().startsWith(QStringLiteral("Rebuilt 1 index(es) in ")))
        << flow.statusText().toStdString();
    EXPECT_TRUE(flow.statusText().endsWith(QStringLiteral(" s: ") + labels.last()))
        << flow.statusText().toStdString();

    EXPECT_TRUE(QFile::exists(name));
    EXPECT_FALSE(QFile::exists(phone)); // not ticked, and row 2 stayed unticked
    EXPECT_FALSE(props.shown());        // then OK
    EXPECT_EQ(storedColours().highlight, 5);
    EXPECT_FALSE(remote.openedByRemote());
}

// A folder of the tree that cannot be read (the walk's listing fails, as it
// does for a folder of mode 000) is named in the finder's status after the
// Rebuild, which counts as not done in full.
TEST_F(IndexPropertiesTest, ARebuildNamesTheFoldersItCouldNotReadInTheFindersStatus)
{
    const QString filing = Global::GetDataFolder(QStringLiteral("FilingFolder"));
    const QString shut =
        filing + u'/' + Platform::listEntries(filing, u"*", Platform::EntryKind::Folders).first();
    Platform::File::setFaultHook([&](const QString& path, Platform::File::Operation operation) {
        return path == shut && operation == Platform::File::Operation::List
                   ? int(Platform::RunTimeError::PermissionDenied)
                   : 0;
    });
    open();
    props.rowClicked(0);
    const bool rebuilt = props.rebuild();
    Platform::File::setFaultHook({});
    EXPECT_FALSE(rebuilt);
    EXPECT_EQ(flow.statusText(),
              QStringLiteral("1 folder(s) could not be read, so what they hold is missing from the "
                             "index: %1. Make them readable, then rebuild the index.")
                  .arg(shut));
}

TEST_F(IndexPropertiesTest, AStoppedRebuildLeavesTheIndexAsItWas)
{
    const QString name = Indexing::indexPath(Indexing::indexFolder(), Indexing::NameIndex);
    QFile::remove(name);
    ASSERT_TRUE(Indexing::RebuildIndexFile({}, {Indexing::NameIndex}));
    QFile before(name);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    before.close();

    open();
    props.rowClicked(0);
    QObject::connect(&props, &IndexProperties::progressChanged, &props,
                     [&] { props.stopRebuild(); });
    EXPECT_FALSE(props.rebuild());
    QFile after(name);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes);
    EXPECT_FALSE(props.shown());
    EXPECT_EQ(flow.statusText(),
              QStringLiteral("The rebuild was stopped: the indexes are as they were."));
}
