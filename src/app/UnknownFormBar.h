// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "linking/UnknownFormNote.h"

#include <QFrame>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace App {

// The bar above the field list on the e-mails of a job folder whose form no
// definition names: its note, the form's name and delimiter (the subject and
// the suggested one, both open to change) and "Define this form". Hidden
// while the folder holds no such e-mail.
class UnknownFormBar : public QFrame
{
    Q_OBJECT

public:
    explicit UnknownFormBar(QWidget* parent = nullptr);

    // The unknown forms of the scan just made.
    void setForms(const QList<Linking::UnknownForm>& forms);
    const Linking::UnknownFormNote& note() const { return m_note; }

    QLabel* lbl_Note = nullptr;
    QLineEdit* txt_FormName = nullptr;
    QComboBox* cbo_Delimiter = nullptr;
    QPushButton* but_Define = nullptr;

signals:
    // A definition was stored: the folder is to be scanned again.
    void formDefined();

private:
    void updateDefineButton();
    void define();

    Linking::UnknownFormNote m_note;
};

} // namespace App
