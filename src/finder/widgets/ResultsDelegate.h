// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/widgets/EmphasisDelegate.h"

// The finder's results rows: their emphasis marks, the matching text in the
// list's highlight colour, the row under the mouse and the selection in its
// hover colour, and the refine divider as an etched line across the row.
class ResultsDelegate : public Platform::EmphasisDelegate
{
    Q_OBJECT

public:
    using EmphasisDelegate::EmphasisDelegate;

    // Colours of the classic 16-colour palette (0 black ... 15 white).
    static QColor paletteColour(int number);
    void setColours(int highlight, int hover);
    // The list's two display switches: off, neither the matching text nor
    // the row under the mouse is highlighted (the BROWSE page).
    void setSwitches(bool on);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // A row's picture stands in this many pixels at its left.
    static constexpr int PictureWidth = 20;

private:
    static QString imagePath(int image);

    QColor m_highlight;
    QColor m_hover;
    bool m_switches = true;
};
