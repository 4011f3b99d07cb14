// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedUiHost.h"
#include "demo/Demo.h"
#include "finder/Picks.h"
#include "finder/SearchFlow.h"
#include "platform/RegistryHive.h"
#include "shared/Paths.h"
#include "shared/Settings.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using Finding::SearchFlow;

namespace {

// The browse page over a demo workspace's filing tree.
class BrowseTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Demo::DemoOptions options;
        options.contacts = 12;
        options.emailsPerJob = 0;
        made = Demo::createWorkspace(m_dir.filePath(QStringLiteral("ws")), options);
        Global::setSettingsHive(Platform::RegistryHive::open(made.registry));
        Global::GetDataFolder(QString(), true);
        filing = Global::GetDataFolder(QStringLiteral("FilingFolder"));
        flow.pageClicked(SearchFlow::BrowsePage);
    }
    void TearDown() override
    {
        Global::GetDataFolder(QString(), true);
        Global::setSettingsHive(nullptr);
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
    QTemporaryDir m_dir;
    Demo::DemoSummary made;
    QString filing;
    SearchFlow flow;
};

} // namespace

TEST_F(BrowseTest, TheFilingFolderComesFirstWithItsIndexedFoldersUnderADivider)
{
    EXPECT_FALSE(flow.clueEnabled());
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
TEST_F(BrowseTest, OpeningAFolderKeepsThePathAndOnlyAnActivationPicks)
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
    EXPECT_EQ(Finding::storedPicks(Finding::PickList::Recent).value(0).pick, child.data);
    EXPECT_EQ(Global::ResolveFolderRef(picks[0]), child.data);

    // Back up to the filing folder: its folders are listed again.
    flow.rowActivated(0, 2);
    EXPECT_EQ(flow.results().row(0).data, filing);
    EXPECT_TRUE(Indexing::ResultsList::isDivider(flow.results().row(1)));
    EXPECT_EQ(flow.results().row(parent).data, opened);
}
