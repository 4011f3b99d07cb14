// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResultsDelegate.h"

#include "finder/SearchFlow.h"
#include "index/Search.h"

#include <QPainter>
#include <QPixmap>

#include <array>

QColor ResultsDelegate::paletteColour(int number)
{
    static const std::array<QColor, 16> colours = {
        QColor(0, 0, 0),       QColor(0, 0, 128),   QColor(0, 128, 0),   QColor(0, 128, 128),
        QColor(128, 0, 0),     QColor(128, 0, 128), QColor(128, 128, 0), QColor(192, 192, 192),
        QColor(128, 128, 128), QColor(0, 0, 255),   QColor(0, 255, 0),   QColor(0, 255, 255),
        QColor(255, 0, 0),     QColor(255, 0, 255), QColor(255, 255, 0), QColor(255, 255, 255)};
    return colours[size_t(std::clamp(number, 0, 15))];
}

void ResultsDelegate::setColours(int highlight, int hover)
{
    m_highlight = paletteColour(highlight);
    m_hover = paletteColour(hover);
    setSwitches(m_switches);
}

void ResultsDelegate::setSwitches(bool on)
{
    m_switches = on;
    // The search marks the clue with the colour digit 1.
    setMarkColour(1, on ? m_highlight : QColor());
}

void ResultsDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    if (index.data(Indexing::ResultsList::DataTextRole).toString() ==
        Indexing::ResultsList::DividerData) {
        // An etched line: a dark line over a light one, across the row.
        const int y = option.rect.center().y();
        const int left = option.rect.left() + 2;
        const int right = option.rect.right() - 2;
        painter->save();
        painter->setPen(option.palette.color(QPalette::Dark));
        painter->drawLine(left, y, right, y);
        painter->setPen(option.palette.color(QPalette::Light));
        painter->drawLine(left, y + 1, right, y + 1);
        painter->restore();
        return;
    }
    QStyleOptionViewItem opt = option;
    if (m_hover.isValid()) {
        // The selection shows in the hover colour too.
        opt.palette.setColor(QPalette::Highlight, m_hover);
        opt.palette.setColor(QPalette::HighlightedText, Qt::white);
        if (m_switches && (opt.state & QStyle::State_MouseOver) &&
            !(opt.state & QStyle::State_Selected)) {
            QColor under = m_hover;
            under.setAlpha(60);
            painter->fillRect(opt.rect, under);
        }
    }
    // The picture of the row's image number (a folder kind, the filing
    // folder), then the text beside it.
    const int image = index.data(Indexing::ResultsList::ImageRole).toInt();
    if (image <= 0) {
        EmphasisDelegate::paint(painter, opt, index);
        return;
    }
    const QRect picture(opt.rect.left(), opt.rect.top(), PictureWidth, opt.rect.height());
    if (opt.state & QStyle::State_Selected)
        painter->fillRect(picture, opt.palette.color(QPalette::Highlight));
    const QPixmap pixmap(imagePath(image));
    painter->drawPixmap(picture.left() + 2, picture.center().y() - pixmap.height() / 2, pixmap);
    opt.rect.setLeft(picture.right() + 1);
    EmphasisDelegate::paint(painter, opt, index);
}

QSize ResultsDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QSize text = EmphasisDelegate::sizeHint(option, index);
    return {text.width() + PictureWidth, std::max(text.height(), 18)};
}

QString ResultsDelegate::imagePath(int image)
{
    if (image == Finding::SearchFlow::FilingImage)
        return QStringLiteral(":/finder/FILING.png");
    return QStringLiteral(":/finder/NO_%1.png").arg(image);
}
