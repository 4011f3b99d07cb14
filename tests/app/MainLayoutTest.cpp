// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's arrangement, without a window: distances in twips, sizes
// in pixels at 15 twips a pixel.
#include "app/MainLayout.h"

#include <gtest/gtest.h>

using App::LayoutInput;
using App::mainLayout;

namespace {

LayoutInput window(QSize client)
{
    LayoutInput in;
    in.client = client;
    in.splitter = QRect(6, 34, 600, 400);
    in.linkPanelHeight = 58;
    in.statusBarHeight = 22;
    in.promptLeft = 6;
    in.promptWidth = 90;
    in.optionWidth = 300;
    in.linkButtonWidth = 80;
    in.toolbarWidth = 50;
    in.folderLeft = 70;
    in.folderWidth = 200;
    in.folderPromptWidth = 64;
    in.documentPromptWidth = 84;
    return in;
}

} // namespace

TEST(MainLayout, ArrangesEveryControl)
{
    const App::Layout out = mainLayout(window({900, 640}));
    // The splitter keeps its left as margin on both sides and below.
    EXPECT_EQ(out.splitterWidth, 888);
    EXPECT_EQ(out.splitterHeight, 640 - 34 - 58 - 22 - 2 * 6);
    // 75 twips (5 pixels) below the splitter, as wide.
    EXPECT_EQ(out.linkPanelTop, 34 + 514 + 5);
    EXPECT_EQ(out.linkPanelWidth, 888);
    // The buttons 90 twips from the right, the options just left of them.
    EXPECT_EQ(out.linkButtonLeft, 888 - 80 - 6);
    EXPECT_EQ(out.optionLeft, 802 - 300);
    EXPECT_EQ(out.linkBoxWidth, 888 - 90 - 300 - 80 - 5 * 6);
    // Top row: half of 12,650 twips each, less each label; the document's
    // label follows the folder box, its box 45 twips after the label.
    EXPECT_EQ(out.toolbarLeft, 850);
    EXPECT_EQ(out.folderWidth, 358);        // 5,365 twips
    EXPECT_EQ(out.documentPromptLeft, 428); // 6,415 twips
    EXPECT_EQ(out.documentWidth, 338);      // 5,065 twips
    EXPECT_EQ(out.documentLeft, 515);       // 7,720 twips
    EXPECT_EQ(out.statusBar, QRect(0, 618, 900, 22));
}

TEST(MainLayout, SkipsWhatWouldComeOutNegative)
{
    EXPECT_FALSE(mainLayout([] {
                     LayoutInput in = window({900, 640});
                     in.minimised = true;
                     return in;
                 }())
                     .splitterWidth);

    // Too short for the splitter: its height stays, and the panel goes
    // below the splitter as it is.
    const App::Layout low = mainLayout(window({900, 100}));
    EXPECT_FALSE(low.splitterHeight);
    EXPECT_EQ(low.splitterWidth, 888);
    EXPECT_EQ(low.linkPanelTop, 34 + 400 + 5);

    // Too narrow for anything: the sizes stay, the places still follow.
    const App::Layout narrow = mainLayout(window({10, 640}));
    EXPECT_FALSE(narrow.splitterWidth);
    EXPECT_EQ(narrow.linkBoxWidth, 100); // from the splitter as it is
    EXPECT_FALSE(narrow.folderWidth);
    EXPECT_FALSE(narrow.documentWidth);
    EXPECT_EQ(narrow.linkPanelWidth, 600);
    EXPECT_EQ(narrow.linkButtonLeft, 600 - 80 - 6);
    EXPECT_EQ(narrow.toolbarLeft, -40);
    EXPECT_EQ(narrow.documentPromptLeft, 70 + 200);
}

TEST(MainLayout, HalvesRoundToEven)
{
    const std::pair<int, int> cases[] = {{12650, 6325}, {5, 2},   {7, 4}, {6, 3},
                                         {-1, 0},       {-3, -2}, {0, 0}};
    for (const auto& [twips, half] : cases)
        EXPECT_EQ(App::halfToEven(twips), half) << twips;
}

TEST(MainLayout, TheMinimumSizeKeepsEveryBoxUsable)
{
    LayoutInput in = window({});
    in.statusWidth = 700;
    const QSize minimum = App::minimumSize(in);
    // The status bar's room decides the width here, the splitter's least
    // height (120) the height.
    EXPECT_EQ(minimum, QSize(700, 34 + 120 + 58 + 22 + 2 * 6));

    in.statusWidth = 0;
    const QSize least = App::minimumSize(in);
    // The link row: margins, prompt, options, button and a box of 80.
    EXPECT_EQ(least.width(), 2 * 6 + 90 + 300 + 80 + 5 * 6 + 80);
    // At that size the rules give every box at least its least width.
    const App::Layout out = mainLayout(window(least));
    EXPECT_GE(out.linkBoxWidth.value_or(-1), 80);
    EXPECT_GE(out.folderWidth.value_or(-1), 80);
    EXPECT_GE(out.documentWidth.value_or(-1), 80);
    EXPECT_GE(out.splitterHeight.value_or(-1), 120);
    // Options right of the boxes: the captions never draw over them.
    EXPECT_LE(2 * 6 + 90 + out.linkBoxWidth.value_or(0), out.optionLeft.value_or(0));

    // A wide toolbar and long prompts make the top row decide.
    in.toolbarWidth = 300;
    in.documentPromptWidth = 200;
    EXPECT_EQ(App::minimumSize(in).width(), 300 + 7 + 2 * (200 + 80));
}
