// SPDX-License-Identifier: GPL-3.0-or-later
#include "PropertiesPanel.h"

#include "ResultsDelegate.h"
#include "platform/widgets/Named.h"
#include "shared/EmphasisMarks.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

using Platform::named;

QPixmap finderImage(const QString& key)
{
    return QPixmap(QStringLiteral(":/finder/%1.png").arg(key));
}

// A row's text without its marks; bold when its first stretch is.
void showMarkedText(QListWidgetItem* item, const QString& marked)
{
    const QList<Global::EmphasisRun> runs = Global::parseEmphasis(marked);
    item->setText(Global::plainEmphasisText(marked));
    QFont font = item->font();
    font.setBold(!runs.isEmpty() && runs.first().bold);
    item->setFont(font);
}

} // namespace

PropertiesPanel::PropertiesPanel(Finding::IndexProperties& core, QWidget* parent)
    : QFrame(parent), m_core(core)
{
    setObjectName(QStringLiteral("pnl_Properties"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);

    lbl_PropertiesTitle = named(new QLabel(this), QStringLiteral("lbl_PropertiesTitle"));
    QFont titleFont = lbl_PropertiesTitle->font();
    titleFont.setBold(true);
    lbl_PropertiesTitle->setFont(titleFont);
    tab_Properties = named(new QTabWidget(this), QStringLiteral("tab_Properties"));

    // General: the two colours of the results list.
    auto* general = new QWidget(tab_Properties);
    auto* colours = new QGridLayout(general);
    combo_HighlightColour = named(new QComboBox(general), QStringLiteral("combo_HighlightColour"));
    combo_HoverColour = named(new QComboBox(general), QStringLiteral("combo_HoverColour"));
    for (int k = 0; k < 2; ++k) {
        QComboBox* combo = k == 0 ? combo_HighlightColour : combo_HoverColour;
        lbl_Prompt[size_t(k)] = named(new QLabel(general), QStringLiteral("lbl_Prompt%1").arg(k));
        combo->setIconSize(SwatchSize);
        colours->addWidget(lbl_Prompt[size_t(k)], k, 0);
        colours->addWidget(combo, k, 1);
    }
    colours->setRowStretch(2, 1);
    tab_Properties->addTab(general, QString());
    // Maintenance: nothing that the finder fills.
    tab_Properties->addTab(new QWidget(tab_Properties), QString());

    // Rebuild: the filing folder and the indexed fields.
    auto* rebuild = new QWidget(tab_Properties);
    auto* rebuildLayout = new QVBoxLayout(rebuild);
    auto* workingIn = new QHBoxLayout;
    img_WorkingIn = named(new QLabel(rebuild), QStringLiteral("img_WorkingIn"));
    lbl_WorkingIn = named(new QLabel(rebuild), QStringLiteral("lbl_WorkingIn"));
    lbl_WorkingIn->setTextFormat(Qt::PlainText);
    lbl_WorkingIn->setMinimumWidth(1); // a long path is cut, not the panel widened
    workingIn->addWidget(img_WorkingIn);
    workingIn->addWidget(lbl_WorkingIn, 1);
    rebuildLayout->addLayout(workingIn);
    list_Rebuild = named(new QListWidget(rebuild), QStringLiteral("list_Rebuild"));
    list_Rebuild->setSelectionMode(QAbstractItemView::SingleSelection);
    rebuildLayout->addWidget(list_Rebuild, 1);
    but_Rebuild = named(new QPushButton(rebuild), QStringLiteral("but_Rebuild"));
    auto* rebuildRow = new QHBoxLayout;
    rebuildRow->addStretch(1);
    rebuildRow->addWidget(but_Rebuild);
    rebuildLayout->addLayout(rebuildRow);
    tab_Properties->addTab(rebuild, QString());

    but_OK = named(new QPushButton(this), QStringLiteral("but_OK"));
    but_Cancel = named(new QPushButton(this), QStringLiteral("but_Cancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(but_OK);
    buttons->addWidget(but_Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbl_PropertiesTitle);
    layout->addWidget(tab_Properties, 1);
    layout->addLayout(buttons);
    resize(380, 280);

    connect(&m_core, &Finding::IndexProperties::loaded, this, &PropertiesPanel::fill);
    connect(&m_core, &Finding::IndexProperties::rowChanged, this, &PropertiesPanel::mirrorRow);
    connect(&m_core, &Finding::IndexProperties::rebuildEnabledChanged, but_Rebuild,
            &QPushButton::setEnabled);
    connect(&m_core, &Finding::IndexProperties::rebuildingChanged, this,
            &PropertiesPanel::mirrorRebuilding);
    connect(&m_core, &Finding::IndexProperties::workingInChanged, lbl_WorkingIn, &QLabel::setText);
    for (auto signal : {&QListWidget::clicked, &QListWidget::doubleClicked}) {
        connect(list_Rebuild, signal, this,
                [this](const QModelIndex& index) { m_core.rowClicked(index.row()); });
    }
    connect(combo_HighlightColour, &QComboBox::activated, &m_core,
            &Finding::IndexProperties::highlightRowChosen);
    connect(combo_HoverColour, &QComboBox::activated, &m_core,
            &Finding::IndexProperties::hoverRowChosen);
    connect(but_OK, &QPushButton::clicked, &m_core, &Finding::IndexProperties::ok);
    connect(but_Cancel, &QPushButton::clicked, &m_core, &Finding::IndexProperties::cancel);
    connect(but_Rebuild, &QPushButton::clicked, &m_core, &Finding::IndexProperties::rebuild);
}

QImage PropertiesPanel::swatchImage(int colour, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(ResultsDelegate::paletteColour(15));
    QPainter p(&image);
    p.setPen(ResultsDelegate::paletteColour(0));
    p.setBrush(ResultsDelegate::paletteColour(colour));
    // A pixel of white around the frame.
    p.drawRect(QRect(QPoint(1, 1), size - QSize(3, 3)));
    return image;
}

void PropertiesPanel::fill()
{
    const QStringList tabs = m_core.tabCaptions();
    for (int k = 0; k < tab_Properties->count(); ++k)
        tab_Properties->setTabText(k, tabs.value(k));
    but_OK->setText(m_core.okCaption());
    but_Cancel->setText(m_core.cancelCaption());
    but_Rebuild->setText(m_core.rebuildCaption());
    but_Rebuild->setEnabled(m_core.rebuildEnabled());
    lbl_PropertiesTitle->setText(m_core.title());
    lbl_WorkingIn->setText(m_core.workingIn());
    img_WorkingIn->setPixmap(finderImage(Finding::IndexProperties::WorkingInImage));
    const QStringList prompts = m_core.colourPrompts();
    for (size_t k = 0; k < lbl_Prompt.size(); ++k)
        lbl_Prompt[k]->setText(prompts.value(qsizetype(k)));

    list_Rebuild->setUpdatesEnabled(false);
    list_Rebuild->clear();
    for (qsizetype row = 0; row < m_core.rebuildRows().size(); ++row) {
        list_Rebuild->addItem(new QListWidgetItem);
        mirrorRow(int(row));
    }
    list_Rebuild->setUpdatesEnabled(true);

    // Each swatch is drawn once and shown in both boxes.
    combo_HighlightColour->clear();
    combo_HoverColour->clear();
    for (const int colour : Finding::IndexProperties::swatchColours()) {
        const QIcon swatch(QPixmap::fromImage(swatchImage(colour)));
        combo_HighlightColour->addItem(swatch, QString(), colour);
        combo_HoverColour->addItem(swatch, QString(), colour);
    }
    combo_HighlightColour->setCurrentIndex(m_core.highlightRow());
    combo_HoverColour->setCurrentIndex(m_core.hoverRow());
}

void PropertiesPanel::mirrorRow(int row)
{
    QListWidgetItem* item = list_Rebuild->item(row);
    if (!item)
        return;
    const Finding::IndexProperties::RebuildRow& rebuildRow = m_core.rebuildRows()[row];
    showMarkedText(item, rebuildRow.text);
    item->setData(Qt::UserRole, rebuildRow.data);
    item->setIcon(QIcon(finderImage(rebuildRow.image)));
}

void PropertiesPanel::mirrorRebuilding(bool rebuilding)
{
    // The window keeps painting while the rebuild runs; nothing else in the
    // panel can be used until it ends.
    for (QWidget* control : std::initializer_list<QWidget*>{tab_Properties, but_OK, but_Cancel})
        control->setEnabled(!rebuilding);
    but_Rebuild->setEnabled(!rebuilding && m_core.rebuildEnabled());
}
