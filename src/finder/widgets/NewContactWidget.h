// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "finder/NewContactPanel.h"

#include <QFrame>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// The finder's new-contact panel (pnl_NewContact): it lies over the search
// area while it shows. Its state and steps are Finding::NewContactPanel; the
// panel wires its controls to them and mirrors what they say.
class NewContactWidget : public QFrame
{
    Q_OBJECT

public:
    NewContactWidget(Finding::NewContactPanel& core, QWidget* parent = nullptr);

    // The controls, named as the window knows them.
    QLabel* lbl_NewContactTitle = nullptr;
    QComboBox* combo_Title = nullptr;
    QLineEdit* txt_ContactName = nullptr;
    QLineEdit* txt_CompanyName = nullptr;
    std::array<QLineEdit*, 6> txt_Address{};
    QComboBox* combo_Country = nullptr;
    std::array<QLineEdit*, 2> txt_Number{};
    std::array<QToolButton*, 8> but_TypeOfNumber{};
    // The contact, the company, the six address lines, the two numbers.
    std::array<QLabel*, 10> lbl_Prompt{};
    QToolButton* but_PAF = nullptr;
    QLabel* lbl_Status = nullptr;
    QPushButton* but_CreateNew = nullptr;
    QPushButton* but_CreateCancel = nullptr;

    // The line edit of a field of the core.
    QLineEdit* edit(Finding::NewContactPanel::Field field) const;

    // The list of several addresses found for a postcode, shown modally: the
    // row chosen, or -1 for Cancel.
    static int chooseAddress(QWidget* parent, const QStringList& addresses);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill();
    void mirrorText(Finding::NewContactPanel::Field field, const QString& text);
    void mirrorClueOffer(bool offered);
    void moveFocus(Finding::NewContactPanel::Field field, bool selectAll);
    void moveFocusOn();

    Finding::NewContactPanel& m_core;
};
