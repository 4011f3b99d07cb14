// SPDX-License-Identifier: GPL-3.0-or-later
#include "finder/widgets/PropertiesPanel.h"

#include "DemoWorkspace.h"
#include "ScriptedUiHost.h"
#include "finder/widgets/ResultsDelegate.h"
#include "finder/widgets/frm_Find.h"
#include "shared/Paths.h"
#include "shared/Settings.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>

namespace {

class PropertiesPanelTest : public testing::Test
{
protected:
    void SetUp() override
    {
        finder = std::make_unique<frm_Find>();
        finder->setAttribute(Qt::WA_DeleteOnClose, false);
        finder->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(finder.get()));
    }
    void TearDown() override { finder.reset(); }

    void clickRow(QListWidget* list, int row)
    {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }

    Testing::ScriptedUiHost host;
    Testing::DemoWorkspace workspace{4};
    std::unique_ptr<frm_Find> finder;
};

} // namespace

TEST_F(PropertiesPanelTest, SetupShowsThePanelOverTheDisabledSearchUntilOk)
{
    PropertiesPanel* panel = finder->pnl_Properties;
    ASSERT_FALSE(panel->isVisible());
    QAction* setup = finder->mainButtons.value(QStringLiteral("SETUP"));
    ASSERT_TRUE(setup->isEnabled());
    setup->trigger();

    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->pos(), QPoint((finder->width() - panel->width()) / 2,
                                   (finder->height() - panel->height()) / 2));
    EXPECT_FALSE(finder->tbr_Main->isEnabled());
    EXPECT_FALSE(finder->pnl_Search->isEnabled());
    EXPECT_EQ(panel->tab_Properties->tabText(2), "Rebuild");
    EXPECT_EQ(panel->lbl_WorkingIn->text(), Global::GetDataFolder(QStringLiteral("FilingFolder")));
    EXPECT_FALSE(panel->img_WorkingIn->pixmap().isNull());

    // The swatches, white to black, with the defaults selected.
    for (QComboBox* combo : {panel->combo_HighlightColour, panel->combo_HoverColour}) {
        ASSERT_EQ(combo->count(), 16);
        EXPECT_EQ(combo->itemData(0).toInt(), 15);
        EXPECT_FALSE(combo->itemIcon(0).isNull());
    }
    EXPECT_EQ(panel->combo_HighlightColour->currentData().toInt(), 9);
    EXPECT_EQ(panel->combo_HoverColour->currentData().toInt(), 12);

    // The fields in bold; a click ticks and unticks.
    ASSERT_EQ(panel->list_Rebuild->count(), 4);
    EXPECT_EQ(panel->list_Rebuild->item(0)->text(), "Name");
    EXPECT_TRUE(panel->list_Rebuild->item(0)->font().bold());
    EXPECT_FALSE(panel->but_Rebuild->isEnabled());
    panel->tab_Properties->setCurrentIndex(2);
    clickRow(panel->list_Rebuild, 1);
    EXPECT_TRUE(panel->but_Rebuild->isEnabled());
    EXPECT_TRUE(finder->remote().properties().rebuildRows()[1].ticked);
    clickRow(panel->list_Rebuild, 1);
    EXPECT_FALSE(panel->but_Rebuild->isEnabled());

    // The user cannot close the window meanwhile.
    EXPECT_FALSE(finder->close());
    EXPECT_TRUE(finder->isVisible());
    EXPECT_EQ(host.beeps, 1);

    // A colour chosen with the keyboard, then OK: stored, and the finder
    // hides with its search area back.
    panel->tab_Properties->setCurrentIndex(0);
    panel->combo_HoverColour->setFocus();
    QTest::keyClick(panel->combo_HoverColour, Qt::Key_Down);
    EXPECT_EQ(panel->combo_HoverColour->currentData().toInt(), 11);
    QTest::mouseClick(panel->but_OK, Qt::LeftButton);
    EXPECT_FALSE(panel->isVisibleTo(finder.get()));
    EXPECT_FALSE(finder->isVisible());
    EXPECT_TRUE(finder->tbr_Main->isEnabled());
    EXPECT_TRUE(finder->pnl_Search->isEnabled());
    EXPECT_EQ(
        Global::GetRegistryData(QStringLiteral("Config"), QStringLiteral("HoverColour")).toString(),
        "11");
}

TEST_F(PropertiesPanelTest, EscapeCancelsThePanelAndKeepsTheSearchPage)
{
    const auto stored = [] {
        return Global::GetRegistryData(QStringLiteral("Config"), QStringLiteral("HighlightColour"))
            .toString();
    };
    const QString before = stored();
    PropertiesPanel* panel = finder->pnl_Properties;
    finder->remote().RemoteOp(Finding::FinderRemote::OpenProperties);
    panel->combo_HighlightColour->setFocus();
    QTest::keyClick(panel->combo_HighlightColour, Qt::Key_Up);
    QTest::keyClick(panel->combo_HighlightColour, Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisibleTo(finder.get()));
    // Back to the search page, as Escape on the new-contact panel.
    EXPECT_TRUE(finder->isVisible());
    EXPECT_TRUE(finder->tbr_Main->isEnabled());
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(finder->remote().properties().chosenColours().highlight, 10);
}

TEST(Swatches, ABoxInItsColourFramedInBlackOnWhite)
{
    const QSize size(20, 10);
    for (const int colour : {0, 9, 12, 15}) {
        const QImage image = PropertiesPanel::swatchImage(colour, size);
        ASSERT_EQ(image.size(), size);
        EXPECT_EQ(image.pixelColor(0, 0), QColor(255, 255, 255));
        EXPECT_EQ(image.pixelColor(1, 1), QColor(0, 0, 0));
        EXPECT_EQ(image.pixelColor(10, 5), ResultsDelegate::paletteColour(colour)) << colour;
    }
}
