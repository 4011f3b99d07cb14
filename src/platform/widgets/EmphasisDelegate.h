// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QHash>
#include <QStyledItemDelegate>

namespace Platform {

// Draws list rows whose text carries emphasis marks (Global::parseEmphasis):
// bold, italic, underline, colours, and columns that line up within the row
// at its column steps. Rows can hold several lines.
class EmphasisDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The colour of a colour mark's digit; 0 is the text's own colour.
    static QColor markColour(int digit, const QColor& textColour);
    // A colour of this list's own for a digit (the finder's matching text);
    // an invalid colour shows the digit's text in the text's own colour.
    void setMarkColour(int digit, const QColor& colour) { m_markColours[digit] = colour; }

private:
    QColor colourOf(int digit, const QColor& textColour) const
    {
        const auto own = m_markColours.constFind(digit);
        if (own == m_markColours.cend())
            return markColour(digit, textColour);
        return own->isValid() ? *own : textColour;
    }

    QHash<int, QColor> m_markColours;
};

} // namespace Platform
