// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QListWidget;

namespace Linking {
class TagLinker;
}

namespace App {

// Typing in the field list finds a field by its first letters: letters
// typed in quick succession add up, a pause starts afresh, and the same
// letter again steps on to the next field that begins with it. The row
// found is clicked, as a click on it would be.
class FieldTypeAhead : public QObject
{
    Q_OBJECT

public:
    FieldTypeAhead(QListWidget& list, Linking::TagLinker& linker);

    // What is typed at `elapsed` milliseconds since the last key; gives the
    // row found, or -1 (then the current row stays).
    int typed(const QString& text, qint64 elapsed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QListWidget& m_list;
    Linking::TagLinker& m_linker;
    QString m_typed;
    QElapsedTimer m_sinceLastKey;
};

} // namespace App
