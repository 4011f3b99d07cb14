// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainLayout.h"

#include "platform/UiHost.h"

#include <algorithm>
#include <cmath>

namespace App {
namespace {

// The distances of the arrangement, in twips.
constexpr int LinkPanelGap = 75;  // between the splitter and the link panel
constexpr int LinkButtonGap = 90; // right of the Link buttons
constexpr int TopRowGap = 100;    // taken from the top row before halving it
constexpr int DocumentPromptGap = 45;
// The least that the window is made to keep.
constexpr int MinimumBoxWidth = 1200; // a link box, the folder and document boxes
constexpr int MinimumSplitterHeight = 1800;

// The rules work in twips, so that halving keeps its rounding; pixels go in
// and come out.
int twips(int pixels)
{
    return pixels * Platform::TwipsPerPixel;
}

int pixels(int twipCount)
{
    return int(std::lround(double(twipCount) / Platform::TwipsPerPixel));
}

int pixelsUp(int twipCount)
{
    return (twipCount + Platform::TwipsPerPixel - 1) / Platform::TwipsPerPixel;
}

std::optional<int> size(int twipCount)
{
    if (twipCount < 0)
        return std::nullopt;
    return pixels(twipCount);
}

} // namespace

int halfToEven(int twipCount)
{
    const int floor = twipCount >= 0 ? twipCount / 2 : -((-twipCount + 1) / 2);
    if (twipCount % 2 == 0)
        return floor;
    return floor % 2 == 0 ? floor : floor + 1;
}

Layout mainLayout(const LayoutInput& in)
{
    Layout out;
    if (in.minimised)
        return out;
    const int clientWidth = twips(in.client.width());
    const int clientHeight = twips(in.client.height());
    const int left = twips(in.splitter.left());
    const int top = twips(in.splitter.top());

    // The splitter, with the link panel and the status bar below it.
    const int splitterWidth = clientWidth - 2 * left;
    const int splitterHeight =
        clientHeight - top - twips(in.linkPanelHeight) - twips(in.statusBarHeight) - 2 * left;
    out.splitterWidth = size(splitterWidth);
    out.splitterHeight = size(splitterHeight);
    const int width = out.splitterWidth ? splitterWidth : twips(in.splitter.width());
    const int height = out.splitterHeight ? splitterHeight : twips(in.splitter.height());

    out.linkPanelTop = pixels(top + height + LinkPanelGap);
    out.linkPanelWidth = pixels(width);

    const int buttonLeft = width - twips(in.linkButtonWidth) - LinkButtonGap;
    out.linkButtonLeft = pixels(buttonLeft);
    out.optionLeft = pixels(buttonLeft - twips(in.optionWidth));
    out.linkBoxWidth = size(width - twips(in.promptWidth) - twips(in.optionWidth) -
                            twips(in.linkButtonWidth) - 5 * twips(in.promptLeft));

    // The top row: the toolbar at the right, the two fields share the rest.
    out.toolbarLeft = pixels(clientWidth - twips(in.toolbarWidth));
    const int half = halfToEven(clientWidth - twips(in.toolbarWidth) - TopRowGap);
    const int folderWidth = half - twips(in.folderPromptWidth);
    out.folderWidth = size(folderWidth);
    const int promptLeft =
        twips(in.folderLeft) + (out.folderWidth ? folderWidth : twips(in.folderWidth));
    out.documentPromptLeft = pixels(promptLeft);
    out.documentWidth = size(half - twips(in.documentPromptWidth));
    out.documentLeft = pixels(promptLeft + twips(in.documentPromptWidth) + DocumentPromptGap);

    if (in.statusBarHeight <= in.client.height())
        out.statusBar = QRect(0, in.client.height() - in.statusBarHeight, in.client.width(),
                              in.statusBarHeight);
    return out;
}

QSize minimumSize(const LayoutInput& in)
{
    const int left = twips(in.splitter.left());
    // The link row: the boxes take what the prompt, the options and the
    // buttons leave of the splitter's width.
    const int linkRow = 2 * left + twips(in.promptWidth) + twips(in.optionWidth) +
                        twips(in.linkButtonWidth) + 5 * twips(in.promptLeft) + MinimumBoxWidth;
    // The top row: each half holds a prompt and its box.
    const int topRow = twips(in.toolbarWidth) + TopRowGap +
                       2 * (std::max(twips(in.folderPromptWidth), twips(in.documentPromptWidth)) +
                            MinimumBoxWidth) +
                       1;
    const int width = std::max({linkRow, topRow, twips(in.statusWidth)});
    const int height = twips(in.splitter.top()) + MinimumSplitterHeight +
                       twips(in.linkPanelHeight) + twips(in.statusBarHeight) + 2 * left;
    return {pixelsUp(width), pixelsUp(height)};
}

} // namespace App
