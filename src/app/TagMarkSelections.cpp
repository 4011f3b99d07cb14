// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagMarkSelections.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace App {

TagMarkSelections::TagMarkSelections(QPlainTextEdit& view) : QObject(&view), m_view(view)
{
    connect(view.verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { refresh(false); });
    connect(&view, &QPlainTextEdit::updateRequest, this, [this] { refresh(false); });
}

QColor TagMarkSelections::colourOf(Linking::TagState state)
{
    switch (state) {
    case Linking::TagState::Linked:
        return QColor(0xd4, 0xef, 0xd0); // pale green
    case Linking::TagState::Unlinked:
        return QColor(0xff, 0xe8, 0xa8); // pale amber
    case Linking::TagState::MissingField:
        break;
    }
    return QColor(0xf8, 0xc8, 0xc8); // pale red
}

void TagMarkSelections::reset(const Linking::SourceMap& map, const QList<Linking::TagMark>& marks)
{
    const int end = m_view.document()->characterCount() - 1;
    const auto at = [&](qsizetype position) {
        return int(qBound(qsizetype(0), map.toView(position), qsizetype(end)));
    };
    m_spans.clear();
    m_spans.reserve(marks.size());
    for (const Linking::TagMark& mark : marks)
        m_spans.append({at(mark.at.start), at(mark.at.start + mark.at.length), mark.state});
    refresh(true);
}

void TagMarkSelections::update(const QList<Linking::TagMark>& marks, const QList<int>& changed)
{
    for (const int i : changed) {
        if (i >= 0 && i < m_spans.size() && i < marks.size())
            m_spans[i].state = marks[i].state;
    }
    refresh(true);
}

void TagMarkSelections::refresh(bool force)
{
    // The first and last characters of the blocks in sight.
    const QTextBlock first = m_view.cursorForPosition(QPoint(0, 0)).block();
    const QTextBlock last =
        m_view.cursorForPosition(QPoint(0, m_view.viewport()->height() - 1)).block();
    const int from = first.position();
    const int to = last.position() + last.length();
    if (!force && from == m_shownFrom && to == m_shownTo)
        return;
    m_shownFrom = from;
    m_shownTo = to;

    // Spans are in order of their starts and never overlap, so their ends
    // are in order too: the first that ends at or after `from` is the first
    // in sight.
    auto span = std::lower_bound(m_spans.cbegin(), m_spans.cend(), from,
                                 [](const Span& s, int position) { return s.to < position; });
    // (A document just put in the view may be shorter than the marks,
    // which are then about to be reset.)
    const int end = m_view.document()->characterCount() - 1;
    QList<QTextEdit::ExtraSelection> selections;
    for (; span != m_spans.cend() && span->from <= to; ++span) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(m_view.document());
        selection.cursor.setPosition(std::min(span->from, end));
        selection.cursor.setPosition(std::min(span->to, end), QTextCursor::KeepAnchor);
        selection.format.setBackground(colourOf(span->state));
        selections.append(selection);
    }
    m_view.setExtraSelections(selections);
}

} // namespace App
