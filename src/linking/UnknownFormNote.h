// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FormSubmissions.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace Linking {

// The note above the field list on the e-mails of a job folder whose form no
// definition names: it offers to define the first such form, with the
// subject as its name and the delimiter that splits the most of its lines,
// both open to change. The window shows it and scans the folder again once a
// form is defined.
class UnknownFormNote
{
public:
    // The unknown forms of the last scan; the note shows while there are any.
    void setForms(QList<UnknownForm> forms);
    const QList<UnknownForm>& forms() const { return m_forms; }
    bool isShown() const { return !m_forms.isEmpty(); }

    // "2 e-mails are of a form called 'Quote Request' that is not defined",
    // with how many other forms are not defined either.
    QString text() const;
    // What the name and delimiter boxes offer.
    QString name() const;
    QString delimiterLabel() const;

    // The delimiters as the box lists them: the candidates, a tab by name.
    static QStringList delimiterLabels();
    static QString labelOf(const QString& delimiter);
    static QString delimiterOf(const QString& label);

    // Whether a name and a delimiter box's text make a definition.
    static bool canDefine(const QString& name, const QString& delimiterLabel);
    // Stores the definition (a form of that name in any case is updated):
    // false when it cannot be made or the store refused it, after its message.
    static bool define(const QString& name, const QString& delimiterLabel);

private:
    QList<UnknownForm> m_forms;
};

} // namespace Linking
