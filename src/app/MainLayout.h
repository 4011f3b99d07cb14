// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>

#include <optional>

// Where the main window's controls go when it is resized. The arrangement's
// own distances are given in twips and converted here; every size and place
// going in and out is in pixels.
namespace App {

struct LayoutInput
{
    QSize client;
    bool minimised = false;
    QRect splitter;          // split_Main now; its left and top stay
    int linkPanelHeight = 0; // pnl_Link
    int statusBarHeight = 0; // statbar_Status
    // Inside the link panel.
    int promptLeft = 0;  // lbl_Prompt(0)
    int promptWidth = 0; // lbl_Prompt(0)
    int optionWidth = 0; // opt_Link(0)
    int linkButtonWidth = 0;
    // The top row.
    int toolbarWidth = 0;
    int folderLeft = 0;          // txt_Folder
    int folderWidth = 0;         // txt_Folder now
    int folderPromptWidth = 0;   // lbl_Prompt(2)
    int documentPromptWidth = 0; // lbl_Prompt(3)
    // What the status bar needs: its count of tags and room for a message.
    int statusWidth = 0;
};

// The new sizes and places. A size that would come out negative is left
// out (the control keeps its size), as is everything while minimised.
struct Layout
{
    std::optional<int> splitterWidth;
    std::optional<int> splitterHeight;
    std::optional<int> linkPanelTop;
    std::optional<int> linkPanelWidth;
    std::optional<int> linkButtonLeft; // but_Link and but_UnLink
    std::optional<int> optionLeft;     // both opt_Link
    std::optional<int> linkBoxWidth;   // both txt_Link
    std::optional<int> toolbarLeft;
    std::optional<int> folderWidth;
    std::optional<int> documentPromptLeft;
    std::optional<int> documentWidth;
    std::optional<int> documentLeft;
    std::optional<QRect> statusBar;
};

// Form_Resize's rules.
Layout mainLayout(const LayoutInput& in);

// The smallest client size at which those rules leave every box of the link
// row and the top row a usable width, the splitter a usable height and the
// status bar its room (`in.client` is not read).
QSize minimumSize(const LayoutInput& in);

// Half of a whole number of twips, a half going to the even neighbour.
int halfToEven(int twips);

} // namespace App
