// SPDX-License-Identifier: GPL-3.0-or-later
#include "EmphasisDelegate.h"

#include "shared/EmphasisMarks.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

#include <array>

namespace Platform {
namespace {

constexpr int Padding = 3;

// What a row's text looks like on screen: its lines, each cell's start.
struct RowLayout
{
    QList<Global::EmphasisLine> lines;
    QList<int> columnX;
    int width = 0;
    int lineHeight = 0;
    int ascent = 0;
};

QFont runFont(const QFont& base, const Global::EmphasisRun& run)
{
    QFont font = base;
    font.setBold(run.bold);
    font.setItalic(run.italic);
    font.setUnderline(run.underline);
    return font;
}

// Line ends and other control characters inside a value (a tag that spans
// lines) show as their control pictures, so a row keeps its shape.
QString shownText(const QString& text)
{
    QString shown = text;
    for (QChar& c : shown) {
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7f)
            c = QChar(0x2421);
    }
    return shown;
}

int cellWidth(const QFont& base, const Global::EmphasisCell& cell)
{
    int width = 0;
    for (const Global::EmphasisRun& run : cell)
        width += QFontMetrics(runFont(base, run)).horizontalAdvance(shownText(run.text));
    return width;
}

RowLayout layoutRow(const QFont& font, const QString& text)
{
    RowLayout layout;
    layout.lines = Global::emphasisLines(Global::parseEmphasis(text));
    const QFontMetrics metrics(font);
    layout.lineHeight = metrics.lineSpacing();
    layout.ascent = metrics.ascent();
    const int gap = 2 * metrics.averageCharWidth();

    // A cell pushes the next column out only when something follows it on
    // its line, so a long last value does not move the others.
    QList<int> widths;
    for (const Global::EmphasisLine& line : layout.lines) {
        for (qsizetype c = 0; c + 1 < line.size(); ++c) {
            if (widths.size() <= c)
                widths.resize(c + 1);
            widths[c] = qMax(widths[c], cellWidth(font, line[c]));
        }
    }
    layout.columnX << 0;
    for (int width : widths)
        layout.columnX << layout.columnX.last() + width + gap;

    for (const Global::EmphasisLine& line : layout.lines) {
        const qsizetype last = line.size() - 1;
        layout.width = qMax(layout.width, layout.columnX[last] + cellWidth(font, line[last]));
    }
    return layout;
}

} // namespace

QColor EmphasisDelegate::markColour(int digit, const QColor& textColour)
{
    // 1 and 2 are the blue and red of the program's RTF colour table.
    static const std::array<QColor, 10> colours = {QColor(),
                                                   QColor(0, 0, 255),
                                                   QColor(255, 0, 0),
                                                   QColor(0, 128, 0),
                                                   QColor(128, 0, 128),
                                                   QColor(0, 128, 128),
                                                   QColor(128, 128, 0),
                                                   QColor(128, 128, 128),
                                                   QColor(128, 0, 0),
                                                   QColor(0, 0, 128)};
    if (digit <= 0 || digit >= int(colours.size()))
        return textColour;
    return colours[size_t(digit)];
}

void EmphasisDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (opt.state & QStyle::State_Active) ? QPalette::Active
                                                                            : QPalette::Inactive;
    const QColor textColour =
        opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    const RowLayout layout = layoutRow(opt.font, text);

    painter->save();
    painter->setClipRect(opt.rect);
    int y = opt.rect.top() + Padding;
    for (const Global::EmphasisLine& line : layout.lines) {
        for (qsizetype c = 0; c < line.size(); ++c) {
            int x = opt.rect.left() + Padding + layout.columnX[c];
            for (const Global::EmphasisRun& run : line[c]) {
                const QFont font = runFont(opt.font, run);
                const QString shown = shownText(run.text);
                painter->setFont(font);
                // Marked colours would vanish in the selection's own colour.
                painter->setPen(selected || group == QPalette::Disabled
                                    ? textColour
                                    : colourOf(run.colour, textColour));
                painter->drawText(QPoint(x, y + layout.ascent), shown);
                x += QFontMetrics(font).horizontalAdvance(shown);
            }
        }
        y += layout.lineHeight;
    }
    painter->restore();
}

QSize EmphasisDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const RowLayout layout = layoutRow(opt.font, opt.text);
    return {layout.width + 2 * Padding, int(layout.lines.size()) * layout.lineHeight + 2 * Padding};
}

} // namespace Platform
