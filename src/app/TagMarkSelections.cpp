// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagMarkSelections.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace App {

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

void TagMarkSelections::reset(QPlainTextEdit& view, const Linking::SourceMap& map,
                              const QList<Linking::TagMark>& marks)
{
    QTextDocument* document = view.document();
    const int end = document->characterCount() - 1;
    const auto at = [&](qsizetype position) {
        return int(qBound(qsizetype(0), map.toView(position), qsizetype(end)));
    };
    m_selections.clear();
    m_selections.reserve(marks.size());
    for (const Linking::TagMark& mark : marks) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(document);
        selection.cursor.setPosition(at(mark.at.start));
        selection.cursor.setPosition(at(mark.at.start + mark.at.length), QTextCursor::KeepAnchor);
        selection.format.setBackground(colourOf(mark.state));
        m_selections.append(selection);
    }
    view.setExtraSelections(m_selections);
}

void TagMarkSelections::update(QPlainTextEdit& view, const QList<Linking::TagMark>& marks,
                               const QList<int>& changed)
{
    for (const int i : changed) {
        if (i >= 0 && i < m_selections.size() && i < marks.size())
            m_selections[i].format.setBackground(colourOf(marks[i].state));
    }
    view.setExtraSelections(m_selections);
}

} // namespace App
