// SPDX-License-Identifier: GPL-3.0-or-later
#include "FieldTypeAhead.h"

#include "linking/TagLinker.h"
#include "linking/TagMatching.h"
#include "platform/UiHost.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>

namespace App {

FieldTypeAhead::FieldTypeAhead(QListWidget& list, Linking::TagLinker& linker)
    : QObject(&list), m_list(list), m_linker(linker)
{
    list.installEventFilter(this);
}

int FieldTypeAhead::typed(const QString& text, qint64 elapsed)
{
    const bool again = elapsed > QApplication::keyboardInputInterval() ||
                       m_typed.compare(text, Qt::CaseInsensitive) == 0;
    // A fresh search, or the same letter again, looks from the next row on;
    // more letters first try the row they have found.
    m_typed = again ? text : m_typed + text;
    const int current = m_linker.currentRow();
    const int row =
        Linking::rowStartingWith(m_linker.rows(), m_typed, again ? current + 1 : qMax(current, 0));
    if (row < 0) {
        Platform::uiHost().beep();
        return -1;
    }
    m_list.setCurrentRow(row);
    m_list.scrollToItem(m_list.item(row));
    return row;
}

bool FieldTypeAhead::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_list || event->type() != QEvent::KeyPress || !m_list.isEnabled())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint() || text.at(0).isSpace() ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const qint64 elapsed =
        m_sinceLastKey.isValid() ? m_sinceLastKey.restart() : (m_sinceLastKey.start(), 1 << 30);
    typed(text, elapsed);
    return true;
}

} // namespace App
