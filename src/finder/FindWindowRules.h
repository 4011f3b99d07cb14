// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>
#include <variant>

// What the finder window decides without a widget: its stored size, its
// main toolbar, the toolbar's pointer, and where its controls go on a resize
// (Form_Resize, whose rules are written in twips; sizes and places go in and
// come out in pixels).
namespace Finding {

// The window's size in twips from "FindWidth" and "FindHeight", a stored
// size out of range (or none) giving the default of 6200 by 5000.
QSize storedWindowSize();
// Form_QueryUnload keeps the size the user left (in twips).
void storeWindowSize(QSize twips);

enum class ButtonStyle
{
    Plain,
    Grouped, // pressing one releases the others
    DropDown,
    Separator
};

struct ToolbarButton
{
    QString key;     // "SIMPLE", or "SPC" for a separator
    QString caption; // its description, and its tool tip when tool tips are on
    ButtonStyle style = ButtonStyle::Plain;
    bool enabled = true;
    bool operator==(const ToolbarButton&) const = default;
};

// sub_CreateMainToolbar's buttons, from its content text of string numbers.
QList<ToolbarButton> mainToolbarButtons();
// Large images when "LargeButtons" is on and the screen is wider than 640
// pixels.
bool largeToolbarImages(int screenWidthPixels);
// Tool tips on ("ToolTips", on by default).
bool storedToolTips();
// The results list's colours as numbers of the classic 16-colour palette:
// the matching text ("HighlightColour", 9 light blue) and the row under the
// mouse and the selection ("HoverColour", 12 light red), 0 to 15.
struct ListColours
{
    int highlight = 9;
    int hover = 12;
    bool operator==(const ListColours&) const = default;
};
ListColours storedListColours();
// The toolbar's pointer: the cursor resource "CUR_<n>" for a TaskBarCursor
// of 20 or more, else the standard pointer of that number.
std::variant<int, QString> toolbarPointer();

// Form_Resize's inputs: the controls as they stand.
struct FindLayoutInput
{
    QSize inner;           // the window's inner size
    int toolbarHeight = 0; // tbr_Main
    QRect statusBar;       // statbar_Status
    QPoint cluePanel;      // pnl_Clue's left and top
    QRect clueBox;         // txt_Clue, in pnl_Clue
    int refineBoxHeight = 0;
    int startWidth = 0; // but_Start
    int fieldsLeft = 0; // tbr_Fields
    int fieldsHeight = 0;
    int listLeft = 0; // list_Results
    bool refineShown = false;
    bool fieldsShown = false;
};

// Where they go. A size that would come out negative is left out (the
// control keeps it: a window too small leaves controls where they are).
struct FindLayout
{
    std::optional<int> searchPanelHeight; // pnl_Search
    QRect progressBar;                    // height unchanged
    std::optional<int> fieldsWidth;       // tbr_Fields
    std::optional<int> cluePanelWidth;
    int cluePanelHeight = 0;
    QRect list; // list_Results, a negative size left out as above
    int startLeft = 0;
    std::optional<int> clueWidth; // txt_Clue, and txt_Refine
    int refineTop = 0;            // txt_Refine and lbl_CluePrompt(1)
    int refineButtonWidth = 0;    // but_Refine, at but_Start's left
    int fieldsTop = 0;            // the field row
    int dividerWidth = 0;         // the divider row's picture
};

FindLayout findLayout(const FindLayoutInput& in);

// What the window must show whole, in pixels: the controls as they stand
// (`layout`, whose inner size is not read), the widths that the main toolbar
// and the field row need for every button, the least clue box and results
// list, and the panels that open over the search area.
struct FindMinimumInput
{
    FindLayoutInput layout;
    int toolbarWidth = 0;
    int fieldsWidth = 0;
    int clueWidth = 0;
    int listHeight = 0;
    QList<QSize> panels;
};

// The window's least inner size: the toolbar without its extension menu,
// the clue row and the field row whole (its buttons never under their
// prompts), a few rows of results above the status bar, and each panel
// inside the window's margins.
QSize findMinimumSize(const FindMinimumInput& in);

} // namespace Finding
