// SPDX-License-Identifier: GPL-3.0-or-later
#include "UnknownFormBar.h"

#include "platform/widgets/Named.h"
#include "shared/Messages.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace App {
namespace {

namespace Str {
enum : int
{
    Define = 9384,
    NameLabel = 9385,
    DelimiterLabel = 9386,
    DelimiterTip = 9388,
};
}

} // namespace

UnknownFormBar::UnknownFormBar(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);

    lbl_Note = Platform::named(new QLabel(this), QStringLiteral("lbl_Note"));
    lbl_Note->setWordWrap(true);
    lbl_Note->setForegroundRole(QPalette::ToolTipText);
    txt_FormName = Platform::named(new QLineEdit(this), QStringLiteral("txt_FormName"));
    cbo_Delimiter = Platform::named(new QComboBox(this), QStringLiteral("cbo_Delimiter"));
    cbo_Delimiter->setEditable(true);
    cbo_Delimiter->setInsertPolicy(QComboBox::NoInsert);
    cbo_Delimiter->addItems(Linking::UnknownFormNote::delimiterLabels());
    cbo_Delimiter->setToolTip(Global::ResolveRes(Str::DelimiterTip));
    but_Define = Platform::named(new QPushButton(Global::ResolveRes(Str::Define), this),
                                 QStringLiteral("but_Define"));

    auto* nameLabel = new QLabel(Global::ResolveRes(Str::NameLabel), this);
    nameLabel->setBuddy(txt_FormName);
    auto* delimiterLabel = new QLabel(Global::ResolveRes(Str::DelimiterLabel), this);
    delimiterLabel->setBuddy(cbo_Delimiter);
    auto* fields = new QHBoxLayout;
    fields->addWidget(nameLabel);
    fields->addWidget(txt_FormName, 1);
    fields->addWidget(delimiterLabel);
    fields->addWidget(cbo_Delimiter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(lbl_Note);
    layout->addLayout(fields);
    layout->addWidget(but_Define, 0, Qt::AlignRight);

    connect(txt_FormName, &QLineEdit::textChanged, this, &UnknownFormBar::updateDefineButton);
    connect(cbo_Delimiter, &QComboBox::editTextChanged, this, &UnknownFormBar::updateDefineButton);
    connect(but_Define, &QPushButton::clicked, this, &UnknownFormBar::define);
    connect(txt_FormName, &QLineEdit::returnPressed, this, &UnknownFormBar::define);
    setVisible(false);
}

void UnknownFormBar::setForms(const QList<Linking::UnknownForm>& forms)
{
    m_note.setForms(forms);
    lbl_Note->setText(m_note.text());
    txt_FormName->setText(m_note.name());
    cbo_Delimiter->setEditText(m_note.delimiterLabel());
    updateDefineButton();
    setVisible(m_note.isShown());
}

void UnknownFormBar::updateDefineButton()
{
    but_Define->setEnabled(
        Linking::UnknownFormNote::canDefine(txt_FormName->text(), cbo_Delimiter->currentText()));
}

void UnknownFormBar::define()
{
    if (Linking::UnknownFormNote::define(txt_FormName->text(), cbo_Delimiter->currentText()))
        emit formDefined();
}

} // namespace App
