// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls: made and placed, laid out again on every
// resize, and its size and panes kept between runs.
#include "FieldTypeAhead.h"
#include "MainLayout.h"
#include "MainMenu.h"
#include "SourceView.h"
#include "TagsPane.h"
#include "UnknownFormBar.h"
#include "frm_Tagmill.h"
#include "frm_TagmillShared.h"
#include "linking/TagStates.h"
#include "platform/widgets/EmphasisDelegate.h"
#include "platform/widgets/Named.h"
#include "shared/Messages.h"
#include "shared/Settings.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

using namespace App::MainWindow;

namespace {

constexpr int About = 9368;

int numberSetting(const QString& key, int defaultValue, int min, int max)
{
    return int(
        Global::GetRegistryData(
            Branch, key,
            {.defaultValue = defaultValue, .valueType = 1, .max = max, .min = min, .report = false})
            .toDouble());
}

} // namespace

void frm_Tagmill::createControls()
{
    using Platform::named;

    imglist_ToolbarSmall.insert(QStringLiteral("LTAG"), QIcon(QStringLiteral(":/icons/LTAG.xpm")));
    imglist_ToolbarSmall.insert(QStringLiteral("NTAG"), QIcon(QStringLiteral(":/icons/NTAG.xpm")));
    for (const char* key : {"UTAG", "MATCH", "PREVIEW"})
        imglist_ToolbarSmall.insert(
            QLatin1String(key),
            QIcon(QStringLiteral(":/icons/main/%1.png").arg(QLatin1String(key))));
    tbr_Main = new QToolBar(this);
    named(tbr_Main, QStringLiteral("tbr_Main"));
    tbr_Main->setIconSize(QSize(16, 16));
    tbr_Main->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tbr_Main->setMovable(false);
    tbr_Main->setFloatable(false);

    for (int i = 0; i < 4; ++i) {
        lbl_Prompt[size_t(i)] = new QLabel(this);
        named(lbl_Prompt[size_t(i)], QStringLiteral("lbl_Prompt%1").arg(i));
    }
    txt_Folder = new QLineEdit(this);
    txt_Document = new QLineEdit(this);
    named(txt_Folder, QStringLiteral("txt_Folder"));
    named(txt_Document, QStringLiteral("txt_Document"));
    for (QLineEdit* box : {txt_Folder, txt_Document}) {
        box->setReadOnly(true);
        box->installEventFilter(this);
    }

    split_Main = new QSplitter(Qt::Horizontal, this);
    named(split_Main, QStringLiteral("split_Main"));
    split_Main->setChildrenCollapsible(false);
    // The field list with the bar on the folder's unknown forms above it.
    pnl_Fields = new QWidget(split_Main);
    named(pnl_Fields, QStringLiteral("pnl_Fields"));
    bar_UnknownForm = new App::UnknownFormBar(pnl_Fields);
    named(bar_UnknownForm, QStringLiteral("bar_UnknownForm"));
    // The bar wraps to the pane's width rather than widening it.
    bar_UnknownForm->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    list_Fields = new QListWidget(pnl_Fields);
    named(list_Fields, QStringLiteral("list_Fields"));
    auto* fieldsLayout = new QVBoxLayout(pnl_Fields);
    fieldsLayout->setContentsMargins(0, 0, 0, 0);
    fieldsLayout->setSpacing(2);
    fieldsLayout->addWidget(bar_UnknownForm);
    fieldsLayout->addWidget(list_Fields, 1);
    list_Fields->setItemDelegate(new Platform::EmphasisDelegate(list_Fields));
    list_Fields->setAlternatingRowColors(true);
    list_Fields->setSelectionMode(QAbstractItemView::SingleSelection);
    list_Fields->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_Fields->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    rtf_Source = new QPlainTextEdit(split_Main);
    named(rtf_Source, QStringLiteral("rtf_Source"));
    rtf_Source->setReadOnly(true);
    // Read-only, yet with a caret and keyboard selection: the caret is where
    // the previous and next tag searches start.
    rtf_Source->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    rtf_Source->setLineWrapMode(QPlainTextEdit::NoWrap);
    rtf_Source->setFont(App::sourceFont());
    rtf_Source->setUndoRedoEnabled(false);
    m_tagMarks = new App::TagMarkSelections(*rtf_Source);
    rtf_Source->viewport()->installEventFilter(this);
    split_Main->addWidget(pnl_Fields);
    split_Main->addWidget(rtf_Source);
    split_Main->setStretchFactor(1, 1);
    pnl_Tags = new App::TagsPane(m_linker, split_Main);
    split_Main->addWidget(pnl_Tags);
    new App::FieldTypeAhead(*list_Fields, m_linker);
    mnu_Main = new QMenuBar(this);

    pnl_Link = new QWidget(this);
    named(pnl_Link, QStringLiteral("pnl_Link"));
    for (int i = 0; i < 2; ++i) {
        txt_Link[size_t(i)] = new QLineEdit(pnl_Link);
        named(txt_Link[size_t(i)], QStringLiteral("txt_Link%1").arg(i));
        txt_Link[size_t(i)]->setReadOnly(true);
        opt_Link[size_t(i)] = new QRadioButton(pnl_Link);
        named(opt_Link[size_t(i)], QStringLiteral("opt_Link%1").arg(i));
        opt_Link[size_t(i)]->setEnabled(false);
    }
    opt_Link[0]->setChecked(true);
    lbl_Prompt[0]->setParent(pnl_Link);
    lbl_Prompt[1]->setParent(pnl_Link);
    but_Link = new QPushButton(pnl_Link);
    but_UnLink = new QPushButton(pnl_Link);
    named(but_Link, QStringLiteral("but_Link"));
    named(but_UnLink, QStringLiteral("but_UnLink"));
    but_Link->setEnabled(false);
    but_UnLink->setEnabled(false);

    statbar_Status = new QStatusBar(this);
    named(statbar_Status, QStringLiteral("statbar_Status"));
    statbar_Status->setSizeGripEnabled(false);
    lbl_TagCounts = new QLabel(statbar_Status);
    named(lbl_TagCounts, QStringLiteral("lbl_TagCounts"));
    statbar_Status->addPermanentWidget(lbl_TagCounts);

    connect(new QShortcut(openDocumentKey(), this), &QShortcut::activated, this,
            &frm_Tagmill::txt_Document_Click);
    connect(new QShortcut(ChooseFolderKey, this), &QShortcut::activated, this,
            &frm_Tagmill::txt_Folder_Click);
    connect(new QShortcut(ImportMailsKey, this), &QShortcut::activated, this,
            &frm_Tagmill::importMails);
    // E-mails dropped on the window are imported into the job folder.
    setAcceptDrops(true);

    connect(but_Link, &QPushButton::clicked, &m_linker, &Linking::TagLinker::link);
    connect(but_UnLink, &QPushButton::clicked, &m_linker, &Linking::TagLinker::unlink);
    connect(rtf_Source, &QPlainTextEdit::selectionChanged, this,
            &frm_Tagmill::sourceSelectionChanged);
    connect(rtf_Source, &QPlainTextEdit::cursorPositionChanged, this,
            &frm_Tagmill::sourceSelectionChanged);
    // A click on a row that is new runs the row's click once (on the press);
    // a click on the current row runs it on the release.
    connect(list_Fields, &QListWidget::currentRowChanged, this, [this](int row) {
        m_rowJustChanged = QApplication::mouseButtons() != Qt::NoButton;
        if (row >= 0)
            m_linker.rowClicked(row);
    });
    connect(list_Fields, &QListWidget::clicked, this, [this](const QModelIndex& index) {
        if (!std::exchange(m_rowJustChanged, false) && index.isValid())
            m_linker.rowClicked(index.row());
    });

    // The design-time places; Form_Resize moves and sizes from these.
    resize(900, 640);
    lbl_Prompt[2]->move(Margin, TopRowTop);
    split_Main->setGeometry(Margin, SplitterTop, 600, 400);
    pnl_Link->setGeometry(Margin, SplitterTop + 400, 600, LinkPanelHeight);
    lbl_Prompt[0]->move(Margin, 2);
    lbl_Prompt[1]->move(Margin, 2 + RowHeight + 4);
}

void frm_Tagmill::createMenuBar()
{
    App::MainCommands commands;
    commands.openDocument = {[this] { txt_Document_Click(); }, openDocumentKey()};
    commands.chooseFolder = {[this] { txt_Folder_Click(); }, ChooseFolderKey};
    commands.importMails = {[this] { importMails(); }, ImportMailsKey};
    commands.link = {[this] { but_Link->click(); }, but_Link->shortcut()};
    commands.unlink = {[this] { but_UnLink->click(); }, but_UnLink->shortcut()};
    commands.canLink = [this] { return m_linker.canLink(); };
    commands.about = [this] {
        Global::showText(Global::ResolveRes(About, {QCoreApplication::applicationVersion()}),
                         Platform::MsgButtons::Ok, Platform::MsgIcon::Information,
                         Global::ResolveRes(Global::Str::ProgramTitle));
    };
    for (const ToolbarButton& button : std::as_const(m_toolbarButtons))
        commands.toolbar.insert(button.key, {button.description, button.action});
    commands.tagsPane = pnl_Tags;
    mnu_Main->clear();
    App::fillMainMenu(*mnu_Main, *this, commands);
    mnu_Main->setGeometry(0, 0, width(), mnu_Main->sizeHint().height());
}

int frm_Tagmill::topRowTop() const
{
    return mnu_Main->sizeHint().height() + TopRowTop;
}

void frm_Tagmill::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

App::LayoutInput frm_Tagmill::layoutInput() const
{
    App::LayoutInput in;
    in.client = size();
    in.minimised = isMinimized();
    in.splitter = split_Main->geometry();
    in.linkPanelHeight = pnl_Link->height();
    in.statusBarHeight = statbar_Status->sizeHint().height();
    in.promptLeft = lbl_Prompt[0]->x();
    in.promptWidth = lbl_Prompt[0]->width();
    in.optionWidth = opt_Link[0]->width();
    in.linkButtonWidth = but_Link->width();
    in.toolbarWidth = tbr_Main->width();
    in.folderLeft = txt_Folder->x();
    in.folderWidth = txt_Folder->width();
    in.folderPromptWidth = lbl_Prompt[2]->width();
    in.documentPromptWidth = lbl_Prompt[3]->width();
    // The status bar holds a message and, at its right, the count of tags
    // with numbers of up to four digits.
    const QFontMetrics metrics = statbar_Status->fontMetrics();
    in.statusWidth = metrics.horizontalAdvance(Linking::tagCountsText({9999, 9999, 9999, 9999})) +
                     StatusMessageRoom * metrics.averageCharWidth() + 4 * Margin;
    return in;
}

void frm_Tagmill::Form_Resize()
{
    mnu_Main->resize(width(), mnu_Main->sizeHint().height());
    const App::Layout out = App::mainLayout(layoutInput());

    const auto setWidth = [](QWidget* widget, std::optional<int> width) {
        if (width)
            widget->resize(*width, widget->height());
    };
    const auto setLeft = [](QWidget* widget, std::optional<int> left) {
        if (left)
            widget->move(*left, widget->y());
    };
    split_Main->setUpdatesEnabled(false);
    if (out.splitterWidth)
        split_Main->resize(*out.splitterWidth, split_Main->height());
    if (out.splitterHeight)
        split_Main->resize(split_Main->width(), *out.splitterHeight);
    split_Main->setUpdatesEnabled(true);

    if (out.linkPanelTop)
        pnl_Link->move(pnl_Link->x(), *out.linkPanelTop);
    setWidth(pnl_Link, out.linkPanelWidth);
    setLeft(but_Link, out.linkButtonLeft);
    setLeft(but_UnLink, out.linkButtonLeft);
    setLeft(opt_Link[0], out.optionLeft);
    setLeft(opt_Link[1], out.optionLeft);
    setWidth(txt_Link[0], out.linkBoxWidth);
    setWidth(txt_Link[1], out.linkBoxWidth);

    setLeft(tbr_Main, out.toolbarLeft);
    setWidth(txt_Folder, out.folderWidth);
    setLeft(lbl_Prompt[3], out.documentPromptLeft);
    setWidth(txt_Document, out.documentWidth);
    setLeft(txt_Document, out.documentLeft);
    if (out.statusBar)
        statbar_Status->setGeometry(*out.statusBar);
}

void frm_Tagmill::restoreWindowState()
{
    const int width = numberSetting(WindowWidth, 900, 400, 10000);
    const int height = numberSetting(WindowHeight, 640, 300, 10000);
    resize(width, height);
    const int pane = numberSetting(SplitterPosition, 300, 0, 10000);
    // The tags pane's width; 0 when it was hidden.
    const int tags = numberSetting(TagsPaneWidth, 240, 0, 10000);
    pnl_Tags->setVisible(tags > 0);
    if (pane > 0)
        split_Main->setSizes({pane, qMax(1, split_Main->width() - pane - tags), tags});
    if (numberSetting(WindowMaximised, 0, -1, 0) != 0)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void frm_Tagmill::saveWindowState()
{
    const auto save = [](const QString& key, int value) {
        Global::SaveRegistryData(Branch, key, QString::number(value));
    };
    const bool maximised = isMaximized();
    save(WindowMaximised, maximised ? -1 : 0);
    if (!maximised && !isMinimized()) {
        save(WindowWidth, width());
        save(WindowHeight, height());
    }
    if (!split_Main->sizes().isEmpty())
        save(SplitterPosition, split_Main->sizes().constFirst());
    save(TagsPaneWidth, pnl_Tags->isVisibleTo(this) ? pnl_Tags->width() : 0);
}
