// SPDX-License-Identifier: GPL-3.0-or-later
#include "NewContactWidget.h"

#include "balloon/widgets/frm_BalloonHelp.h"
#include "platform/Cursors.h"
#include "platform/widgets/Named.h"
#include "shared/Messages.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using Finding::NewContactPanel;
using Field = NewContactPanel::Field;

using Platform::named;

// One of the panel's own images by its key.
QIcon panelImage(const QString& key)
{
    return QIcon(QStringLiteral(":/newcontact/%1.png").arg(key));
}

} // namespace

NewContactWidget::NewContactWidget(NewContactPanel& core, QWidget* parent)
    : QFrame(parent), m_core(core)
{
    setObjectName(QStringLiteral("pnl_NewContact"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);

    lbl_NewContactTitle = named(new QLabel(this), QStringLiteral("lbl_NewContactTitle"));
    QFont titleFont = lbl_NewContactTitle->font();
    titleFont.setBold(true);
    lbl_NewContactTitle->setFont(titleFont);
    for (size_t k = 0; k < lbl_Prompt.size(); ++k)
        lbl_Prompt[k] = named(new QLabel(this), QStringLiteral("lbl_Prompt%1").arg(k));
    combo_Title = named(new QComboBox(this), QStringLiteral("combo_Title"));
    txt_ContactName = named(new QLineEdit(this), QStringLiteral("txt_ContactName"));
    txt_CompanyName = named(new QLineEdit(this), QStringLiteral("txt_CompanyName"));
    for (size_t k = 0; k < txt_Address.size(); ++k)
        txt_Address[k] = named(new QLineEdit(this), QStringLiteral("txt_Address%1").arg(k));
    combo_Country = named(new QComboBox(this), QStringLiteral("combo_Country"));
    combo_Country->setEditable(true);
    combo_Country->setInsertPolicy(QComboBox::NoInsert);
    but_PAF = named(new QToolButton(this), QStringLiteral("but_PAF"));
    but_PAF->setIcon(panelImage(QStringLiteral("PAF")));
    for (size_t k = 0; k < txt_Number.size(); ++k)
        txt_Number[k] = named(new QLineEdit(this), QStringLiteral("txt_Number%1").arg(k));
    // What saving makes of a name in a script that the suite's files lack.
    lbl_Status = named(new QLabel(this), QStringLiteral("lbl_Status"));
    lbl_Status->setWordWrap(true);
    lbl_Status->setMinimumHeight(2 * lbl_Status->fontMetrics().lineSpacing());
    but_CreateNew = named(new QPushButton(this), QStringLiteral("but_CreateNew"));
    but_CreateCancel = named(new QPushButton(this), QStringLiteral("but_CreateCancel"));
    // Enter belongs to the fields, never to the finder's default button.
    for (QPushButton* button : {but_CreateNew, but_CreateCancel})
        button->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(lbl_Prompt[0], 0, 0);
    auto* name = new QHBoxLayout;
    name->addWidget(combo_Title);
    name->addWidget(txt_ContactName, 1);
    grid->addLayout(name, 0, 1);
    grid->addWidget(lbl_Prompt[1], 1, 0);
    grid->addWidget(txt_CompanyName, 1, 1);
    for (int line = 0; line < 6; ++line) {
        grid->addWidget(lbl_Prompt[size_t(line) + 2], line + 2, 0);
        if (line == 5) {
            auto* postcode = new QHBoxLayout;
            postcode->addWidget(txt_Address[5], 1);
            postcode->addWidget(but_PAF);
            grid->addLayout(postcode, line + 2, 1);
        } else {
            grid->addWidget(txt_Address[size_t(line)], line + 2, 1);
        }
    }
    grid->addWidget(combo_Country, 8, 1);
    for (int number = 0; number < 2; ++number) {
        auto* group = new QButtonGroup(this);
        auto* row = new QHBoxLayout;
        row->addWidget(txt_Number[size_t(number)], 1);
        for (int type = 0; type < NewContactPanel::NumberTypes; ++type) {
            const int k = number * NewContactPanel::NumberTypes + type;
            QToolButton* button =
                named(new QToolButton(this), QStringLiteral("but_TypeOfNumber%1").arg(k));
            button->setCheckable(true);
            button->setIcon(panelImage(NewContactPanel::typeImage(k)));
            group->addButton(button, k);
            row->addWidget(button);
            but_TypeOfNumber[size_t(k)] = button;
        }
        connect(group, &QButtonGroup::idClicked, &m_core, &NewContactPanel::pressType);
        grid->addWidget(lbl_Prompt[size_t(number) + 8], number + 9, 0);
        grid->addLayout(row, number + 9, 1);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(but_CreateNew);
    buttons->addWidget(but_CreateCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbl_NewContactTitle);
    layout->addLayout(grid);
    layout->addWidget(lbl_Status);
    layout->addLayout(buttons);
    resize(sizeHint().expandedTo(QSize(420, 0)));

    for (int f = 0; f < NewContactPanel::FieldCount; ++f) {
        QLineEdit* box = edit(Field(f));
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, this,
                [this, f](const QString& text) { m_core.setText(Field(f), text); });
    }
    connect(combo_Title, &QComboBox::currentIndexChanged, &m_core, &NewContactPanel::setTitleRow);
    connect(combo_Country, &QComboBox::currentTextChanged, &m_core, &NewContactPanel::setCountry);
    connect(but_PAF, &QToolButton::clicked, &m_core, &NewContactPanel::lookUpPostcode);
    connect(but_CreateNew, &QPushButton::clicked, &m_core, &NewContactPanel::create);
    connect(but_CreateCancel, &QPushButton::clicked, &m_core, &NewContactPanel::cancel);

    connect(&m_core, &NewContactPanel::prepared, this, &NewContactWidget::fill);
    connect(&m_core, &NewContactPanel::textChanged, this, &NewContactWidget::mirrorText);
    connect(&m_core, &NewContactPanel::titleRowChanged, combo_Title, &QComboBox::setCurrentIndex);
    connect(&m_core, &NewContactPanel::countryChanged, combo_Country, &QComboBox::setCurrentText);
    connect(&m_core, &NewContactPanel::typePressed, this,
            [this](int button) { but_TypeOfNumber[size_t(button)]->setChecked(true); });
    connect(&m_core, &NewContactPanel::createEnabledChanged, but_CreateNew,
            &QPushButton::setEnabled);
    connect(&m_core, &NewContactPanel::clueOfferChanged, this, &NewContactWidget::mirrorClueOffer);
    connect(&m_core, &NewContactPanel::noticeChanged, lbl_Status, &QLabel::setText);
    connect(&m_core, &NewContactPanel::focusRequested, this, &NewContactWidget::moveFocus);
    connect(&m_core, &NewContactPanel::tabRequested, this, &NewContactWidget::moveFocusOn);
    connect(&m_core, &NewContactPanel::noAddressFound, this, [this](int textNumber) {
        ShowBalloonHelp(txt_Address[5], std::nullopt, true, textNumber);
    });
    m_core.setAddressChooser(
        [this](const QStringList& addresses) { return chooseAddress(window(), addresses); });
}

QLineEdit* NewContactWidget::edit(Field field) const
{
    switch (field) {
    case NewContactPanel::ContactName:
        return txt_ContactName;
    case NewContactPanel::CompanyName:
        return txt_CompanyName;
    case NewContactPanel::Number0:
    case NewContactPanel::Number1:
        return txt_Number[size_t(field - NewContactPanel::Number0)];
    default:
        return txt_Address[size_t(field - NewContactPanel::Address0)];
    }
}

void NewContactWidget::fill()
{
    lbl_NewContactTitle->setText(m_core.caption());
    but_CreateNew->setText(m_core.createCaption());
    but_CreateCancel->setText(m_core.cancelCaption());
    lbl_Prompt[0]->setText(m_core.contactPrompt());
    lbl_Prompt[1]->setText(m_core.companyPrompt());
    for (size_t line = 0; line < 6; ++line)
        lbl_Prompt[line + 2]->setText(m_core.addressPrompts()[line]);
    for (size_t number = 0; number < 2; ++number)
        lbl_Prompt[number + 8]->setText(m_core.numberPrompts()[number]);

    {
        const QSignalBlocker titles(combo_Title);
        const QSignalBlocker countries(combo_Country);
        combo_Title->clear();
        for (const FileOperations::TitleItem& title : m_core.titles())
            combo_Title->addItem(title.text, title.male ? -1 : 0);
        combo_Title->setCurrentIndex(m_core.titleRow());
        combo_Country->clear();
        combo_Country->addItems(m_core.countries());
        combo_Country->setCurrentText(m_core.country());
    }
    for (int f = 0; f < NewContactPanel::FieldCount; ++f)
        mirrorText(Field(f), m_core.text(Field(f)));
    for (int number = 0; number < 2; ++number)
        but_TypeOfNumber[size_t(m_core.pressedType(number))]->setChecked(true);
    but_CreateNew->setEnabled(m_core.createEnabled());
    lbl_Status->setText(m_core.notice());
}

void NewContactWidget::mirrorText(Field field, const QString& text)
{
    QLineEdit* box = edit(field);
    if (box->text() != text)
        box->setText(text);
}

void NewContactWidget::mirrorClueOffer(bool offered)
{
    for (int f = 0; f < NewContactPanel::FieldCount; ++f) {
        if (!NewContactPanel::takesClue(Field(f)))
            continue;
        // A text box's own pointer is the I-beam.
        edit(Field(f))->setCursor(offered ? Platform::cursorFor(NewContactPanel::CluePointer)
                                          : QCursor(Qt::IBeamCursor));
    }
}

void NewContactWidget::moveFocus(Field field, bool selectAll)
{
    // A focus that cannot move (the panel not yet shown) is no fault.
    QLineEdit* box = edit(field);
    box->setFocus();
    if (selectAll)
        box->selectAll();
}

void NewContactWidget::moveFocusOn()
{
    if (QWidget* focused = QApplication::focusWidget()) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(focused, &tab);
    }
}

bool NewContactWidget::eventFilter(QObject* watched, QEvent* event)
{
    for (int f = 0; f < NewContactPanel::FieldCount; ++f) {
        if (watched != edit(Field(f)))
            continue;
        switch (event->type()) {
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Return && key != Qt::Key_Enter)
                return false;
            m_core.enterPressed(Field(f));
            return true;
        }
        case QEvent::MouseButtonPress:
            m_core.fieldClicked(Field(f));
            return false;
        case QEvent::FocusIn:
            m_core.fieldFocused(Field(f));
            return false;
        default:
            return false;
        }
    }
    return QFrame::eventFilter(watched, event);
}

int NewContactWidget::chooseAddress(QWidget* parent, const QStringList& addresses)
{
    QDialog choice(parent);
    choice.setObjectName(QStringLiteral("frm_PostalChoice"));
    choice.setWindowTitle(Global::applicationTitle());
    auto* list = named(new QListWidget(&choice), QStringLiteral("list_PAF"));
    for (const QString& address : addresses) {
        QStringList lines = address.split(QLatin1Char('|'));
        lines.removeAll(QString());
        list->addItem(lines.join(QStringLiteral(", ")));
    }
    list->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &choice);
    connect(buttons, &QDialogButtonBox::accepted, &choice, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &choice, &QDialog::reject);
    connect(list, &QListWidget::itemActivated, &choice, &QDialog::accept);
    auto* layout = new QVBoxLayout(&choice);
    layout->addWidget(list, 1);
    layout->addWidget(buttons);
    choice.resize(420, 260);
    return choice.exec() == QDialog::Accepted ? list->currentRow() : -1;
}
