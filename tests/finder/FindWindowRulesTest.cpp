// SPDX-License-Identifier: GPL-3.0-or-later
#include "finder/FindWindowRules.h"

#include "TestSettings.h"
#include "shared/Tweaks.h"

#include <gtest/gtest.h>

using namespace Finding;

namespace {

void forgetTweaks()
{
    Global::GetTweak(-1);
}

} // namespace

TEST(FindWindowRules, TheStoredSizeFallsBackWhenOutOfRange)
{
    struct Case
    {
        const char* width;
        const char* height;
        QSize size;
    };
    const Case cases[] = {
        {nullptr, nullptr, {6200, 5000}},
        {"20000", "7500", {6200, 7500}},
        {"9000", "4000", {9000, 5000}},
        {"15000", "4500", {15000, 4500}},
    };
    for (const Case& c : cases) {
        Testing::TestSettings settings;
        if (c.width) {
            settings.set(QStringLiteral("Config"), QStringLiteral("FindWidth"),
                         QLatin1String(c.width));
            settings.set(QStringLiteral("Config"), QStringLiteral("FindHeight"),
                         QLatin1String(c.height));
        }
        EXPECT_EQ(storedWindowSize(), c.size) << c.width;
    }
    Testing::TestSettings settings;
    storeWindowSize({7000, 6000});
    EXPECT_EQ(storedWindowSize(), QSize(7000, 6000));

    // The list's colours: a stored 16 is out of the palette.
    EXPECT_EQ(storedListColours(), (ListColours{9, 12}));
    settings.set(QStringLiteral("Config"), QStringLiteral("HighlightColour"), QStringLiteral("16"));
    settings.set(QStringLiteral("Config"), QStringLiteral("HoverColour"), QStringLiteral("3"));
    EXPECT_EQ(storedListColours(), (ListColours{9, 3}));
}

TEST(FindWindowRules, TheMainToolbarFollowsItsContentText)
{
    Testing::TestSettings settings;
    const QList<ToolbarButton> buttons = mainToolbarButtons();
    ASSERT_EQ(buttons.size(), 15);
    EXPECT_EQ(buttons[0], (ToolbarButton{QStringLiteral("BACK"), QStringLiteral("Back"),
                                         ButtonStyle::DropDown, false}));
    EXPECT_EQ(buttons[1].style, ButtonStyle::Separator);
    EXPECT_EQ(buttons[2], (ToolbarButton{QStringLiteral("SIMPLE"), QStringLiteral("Simple search"),
                                         ButtonStyle::Grouped, true}));
    EXPECT_EQ(buttons[6].caption, QStringLiteral("Vantix users"));
    EXPECT_EQ(buttons[9].style, ButtonStyle::DropDown);
    EXPECT_EQ(buttons[13].key, QStringLiteral("DO"));
    EXPECT_EQ(buttons[14], (ToolbarButton{QStringLiteral("SETUP"), QStringLiteral("Properties"),
                                          ButtonStyle::Plain, true}));
}

TEST(FindWindowRules, SmallImagesOnANarrowScreenAndThePointerByTaskBarCursor)
{
    Testing::TestSettings settings;
    EXPECT_TRUE(largeToolbarImages(641));
    EXPECT_FALSE(largeToolbarImages(640));
    settings.set(QStringLiteral("Preferences"), QStringLiteral("LargeButtons"),
                 QStringLiteral("0"));
    EXPECT_FALSE(largeToolbarImages(1920));
    EXPECT_TRUE(storedToolTips());

    EXPECT_EQ(toolbarPointer(), (std::variant<int, QString>(QStringLiteral("CUR_21"))));
    for (const auto& [value, pointer] :
         {std::pair{"19", std::variant<int, QString>(19)},
          std::pair{"20", std::variant<int, QString>(QStringLiteral("CUR_20"))}}) {
        settings.set(QStringLiteral("Tweaks"), QStringLiteral("TaskBarCursor"),
                     QLatin1String(value));
        forgetTweaks();
        EXPECT_EQ(toolbarPointer(), pointer) << value;
    }
}

// In pixels of 15 twips: the rows' margins and the panel's growth.
TEST(FindWindowRules, ResizeGrowsTheCluePanelByEachRowShownAndPutsTheListBelowIt)
{
    FindLayoutInput in;
    in.inner = {600, 400};
    in.toolbarHeight = 40;
    in.statusBar = {0, 380, 600, 20};
    in.cluePanel = {8, 4};
    in.clueBox = {80, 6, 300, 21};
    in.refineBoxHeight = 21;
    in.startWidth = 60;
    in.fieldsLeft = 80;
    in.fieldsHeight = 30;
    in.listLeft = 8;

    const FindLayout plain = findLayout(in);
    EXPECT_EQ(plain.searchPanelHeight, 340);
    // The bar's right edge keeps its margin; it takes a third of the room,
    // leaving the status text readable beside it.
    EXPECT_EQ(plain.progressBar, QRect(391, 386, 193, 0));
    EXPECT_EQ(plain.fieldsWidth, 512);
    EXPECT_EQ(plain.cluePanelWidth, 584);
    EXPECT_EQ(plain.cluePanelHeight, 30); // 2 × 6 + 21, less 45 twips
    EXPECT_EQ(plain.list, QRect(8, 34, 584, 298));
    EXPECT_EQ(plain.startLeft, 516);
    EXPECT_EQ(plain.clueWidth, 428);
    EXPECT_EQ(plain.refineButtonWidth, 59);
    EXPECT_EQ(plain.refineTop, 33);
    EXPECT_EQ(plain.fieldsTop, 33);
    EXPECT_EQ(plain.dividerWidth, 582);

    in.refineShown = true;
    in.fieldsShown = true;
    const FindLayout both = findLayout(in);
    EXPECT_EQ(both.cluePanelHeight, 30 + (21 + 6) + (30 + 6));
    EXPECT_EQ(both.fieldsTop, 33 + 21 + 6);
    EXPECT_EQ(both.list.top(), 4 + both.cluePanelHeight);

    // A window too small keeps what would come out negative.
    in.inner = {50, 60};
    const FindLayout tiny = findLayout(in);
    EXPECT_FALSE(tiny.clueWidth);
    EXPECT_FALSE(tiny.fieldsWidth);
    EXPECT_LT(tiny.list.height(), 0);
}

// The least size holds the clue row, the field row inside the clue panel,
// the whole toolbar, four rows of results and each panel within the margins.
TEST(FindWindowRules, TheMinimumSizeHoldsTheToolbarTheRowsShownAndEachPanel)
{
    FindMinimumInput in;
    in.layout.toolbarHeight = 40;
    in.layout.statusBar = {0, 0, 0, 20};
    in.layout.cluePanel = {8, 4};
    in.layout.clueBox = {80, 6, 300, 21};
    in.layout.startWidth = 60;
    in.layout.fieldsLeft = 80;
    in.layout.fieldsHeight = 30;
    in.layout.listLeft = 8;
    in.clueWidth = 120;
    in.listHeight = 80;
    in.fieldsWidth = 420;
    // The clue row: margins, prompt, box, 16 pixels, Start.
    EXPECT_EQ(findMinimumSize(in), QSize(16 + 80 + 120 + 16 + 60, 40 + 4 + 30 + 80 + 8 + 20));

    in.layout.fieldsShown = true;
    EXPECT_EQ(findMinimumSize(in), QSize(16 + 80 + 420, 40 + 4 + 30 + 36 + 80 + 8 + 20));
    in.toolbarWidth = 560;
    EXPECT_EQ(findMinimumSize(in).width(), 560);

    in.panels = {{480, 430}, {600, 100}};
    EXPECT_EQ(findMinimumSize(in), QSize(600 + 16, 430 + 16));
}
