// SPDX-License-Identifier: GPL-3.0-or-later
#include "FindWindowRules.h"

#include "platform/UiHost.h"
#include "shared/Messages.h"
#include "shared/Settings.h"
#include "shared/Tweaks.h"

#include <cmath>

namespace Finding {
namespace {

const QString Config = QStringLiteral("Config");
const QString Preferences = QStringLiteral("Preferences");
constexpr int NarrowScreen = 640; // pixels: no large toolbar images up to here
constexpr int FirstCursorResource = 20;
// The main toolbar: string numbers, an empty item for a separator.
const char* const ToolbarContent = "929,,931,932,934,933,939,,935,936,,937,,938,930";

// Twips per pixel: the rules are written in twips.
constexpr int Tpp = Platform::TwipsPerPixel;
int twips(int pixels)
{
    return pixels * Tpp;
}
int pixels(int twipCount)
{
    return int(std::lround(double(twipCount) / Tpp));
}
std::optional<int> size(int twipCount)
{
    return twipCount < 0 ? std::nullopt : std::optional<int>(pixels(twipCount));
}

int storedNumber(const QString& section, const QString& name, int fallback, int min, int max)
{
    return int(
        Global::GetRegistryData(section, name,
                                {.defaultValue = fallback, .valueType = 1, .max = max, .min = min})
            .toDouble());
}

ButtonStyle styleOf(const QString& key)
{
    static const QStringList grouped{QStringLiteral("SIMPLE"), QStringLiteral("ADVANCED"),
                                     QStringLiteral("BROWSE"), QStringLiteral("CONTENT"),
                                     QStringLiteral("USERS")};
    if (grouped.contains(key))
        return ButtonStyle::Grouped;
    if (key == QLatin1String("BACK") || key == QLatin1String("FAVOURITES") ||
        key == QLatin1String("RECENTS"))
        return ButtonStyle::DropDown;
    return ButtonStyle::Plain;
}

bool enabledAtStart(const QString& key)
{
    static const QStringList known{QStringLiteral("SIMPLE"),  QStringLiteral("ADVANCED"),
                                   QStringLiteral("BROWSE"),  QStringLiteral("CONTENT"),
                                   QStringLiteral("USERS"),   QStringLiteral("FAVOURITES"),
                                   QStringLiteral("RECENTS"), QStringLiteral("NEW"),
                                   QStringLiteral("DO"),      QStringLiteral("SETUP")};
    return known.contains(key);
}

} // namespace

QSize storedWindowSize()
{
    return {storedNumber(Config, QStringLiteral("FindWidth"), 6200, 6200, 15000),
            storedNumber(Config, QStringLiteral("FindHeight"), 5000, 4500, 7500)};
}

void storeWindowSize(QSize twipSize)
{
    Global::SaveRegistryData(Config, QStringLiteral("FindHeight"),
                             QString::number(twipSize.height()));
    Global::SaveRegistryData(Config, QStringLiteral("FindWidth"),
                             QString::number(twipSize.width()));
}

QList<ToolbarButton> mainToolbarButtons()
{
    QList<ToolbarButton> buttons;
    for (const QString& item : QString::fromLatin1(ToolbarContent).split(QLatin1Char(','))) {
        if (item.isEmpty()) {
            buttons.append({QStringLiteral("SPC"), QString(), ButtonStyle::Separator, true});
            continue;
        }
        const QString text = Global::ResolveRes(item.toInt());
        const QString caption = text.section(QLatin1Char(','), 0, 0);
        const QString key = text.section(QLatin1Char(','), 1);
        buttons.append({key, caption, styleOf(key), enabledAtStart(key)});
    }
    return buttons;
}

bool largeToolbarImages(int screenWidthPixels)
{
    return storedNumber(Preferences, QStringLiteral("LargeButtons"), -1, -1, 0) != 0 &&
           screenWidthPixels > NarrowScreen;
}

bool storedToolTips()
{
    return storedNumber(Preferences, QStringLiteral("ToolTips"), -1, -1, 0) != 0;
}

ListColours storedListColours()
{
    return {storedNumber(Config, QStringLiteral("HighlightColour"), 9, 0, 15),
            storedNumber(Config, QStringLiteral("HoverColour"), 12, 0, 15)};
}

std::variant<int, QString> toolbarPointer()
{
    const int cursor = int(Global::GetTweak(Global::Tweak::TaskBarCursor).number());
    if (cursor >= FirstCursorResource)
        return QStringLiteral("CUR_%1").arg(cursor);
    return cursor;
}

FindLayout findLayout(const FindLayoutInput& in)
{
    FindLayout out;
    const int innerWidth = twips(in.inner.width());
    const int innerHeight = twips(in.inner.height());
    const QRect status(twips(in.statusBar.left()), twips(in.statusBar.top()),
                       twips(in.statusBar.width()), twips(in.statusBar.height()));

    const int searchHeight = innerHeight - twips(in.toolbarHeight) - status.height();
    out.searchPanelHeight = size(searchHeight);
    // The bar keeps to the right third of its room, so that the status text
    // beside it stays readable.
    const int barWidth = std::max(0, status.width() - 300) / 3;
    out.progressBar = QRect(pixels(status.left() + status.width() - 240 - barWidth),
                            pixels(status.top() + 90), pixels(barWidth), 0);
    out.fieldsWidth = size(innerWidth - twips(in.fieldsLeft) - 120);

    const int panelLeft = twips(in.cluePanel.x());
    const int panelTop = twips(in.cluePanel.y());
    const int clueTop = twips(in.clueBox.top());
    const int clueHeight = twips(in.clueBox.height());
    const int panelWidth = innerWidth - 2 * panelLeft;
    int panelHeight = 2 * clueTop + clueHeight - 45;
    if (in.refineShown)
        panelHeight += twips(in.refineBoxHeight) + clueTop;
    if (in.fieldsShown)
        panelHeight += twips(in.fieldsHeight) + clueTop;
    out.cluePanelWidth = size(panelWidth);
    out.cluePanelHeight = pixels(panelHeight);

    // The list below the clue panel with the same margins.
    const int listLeft = twips(in.listLeft);
    const int listTop = panelTop + panelHeight;
    const int listWidth = innerWidth - 2 * listLeft;
    const int listHeight = searchHeight - listTop - listLeft;
    out.list = QRect(pixels(listLeft), pixels(listTop), size(listWidth).value_or(-1),
                     size(listHeight).value_or(-1));

    const int startWidth = twips(in.startWidth);
    out.startLeft = pixels(panelWidth - startWidth - 120);
    out.clueWidth = size(panelWidth - startWidth - twips(in.clueBox.left()) - 240);
    out.refineButtonWidth = pixels(std::max(0, startWidth - 15));
    // Each row lies the clue box's top margin below the one above it, as the
    // panel grows by a row's height and that margin: the refine row under
    // the clue row, the field row under whichever is last.
    const int refineTop = clueTop + clueHeight + clueTop;
    out.refineTop = pixels(refineTop);
    out.fieldsTop =
        in.refineShown ? pixels(refineTop + twips(in.refineBoxHeight) + clueTop) : out.refineTop;
    out.dividerWidth = pixels(std::max(0, listWidth - 30));
    return out;
}

QSize findMinimumSize(const FindMinimumInput& in)
{
    const FindLayoutInput& at = in.layout;
    const int margin = at.cluePanel.x();
    // The clue row: its prompt, the least clue box, Start and their margins
    // (the clue box keeps 240 twips from Start).
    int width = 2 * margin + at.clueBox.left() + in.clueWidth + at.startWidth + pixels(240);
    // The field row stands inside the clue panel, so it is cut at the panel's
    // right edge.
    if (at.fieldsShown)
        width = std::max(width, 2 * margin + at.fieldsLeft + in.fieldsWidth);
    width = std::max(width, in.toolbarWidth);
    int height = at.toolbarHeight + at.cluePanel.y() + findLayout(at).cluePanelHeight +
                 in.listHeight + at.listLeft + at.statusBar.height();
    // A panel stands centred over the window, inside the same margins.
    for (const QSize& panel : in.panels) {
        width = std::max(width, panel.width() + 2 * margin);
        height = std::max(height, panel.height() + 2 * margin);
    }
    return {width, height};
}

} // namespace Finding
