// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_Find.h"

#include "NewContactWidget.h"
#include "PropertiesPanel.h"
#include "ResultsDelegate.h"
#include "finder/FindWindowRules.h"
#include "finder/Picks.h"
#include "index/IndexTasks.h"
#include "platform/Cursors.h"
#include "platform/UiHost.h"
#include "platform/widgets/Named.h"
#include "shared/Files.h"
#include "shared/Messages.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QCursor>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace {

using Finding::ClueKey;
using Finding::SearchFlow;

enum Str : int
{
    Caption = 900,
    CluePrompts = 901,
    LookIn = 902,
    StartTip = 903,
    InterruptTip = 908,
    PickItem = 940,
    RemoveFavouriteItem = 941,
    ClearRecentItem = 942,
    // Its key, a comma and the menu item's caption.
    AddFavouriteItem = 2001,
};

// The design-time places inside the clue panel, in pixels; Form_Resize sizes
// and moves from these.
constexpr int PanelMargin = 8;
constexpr int ClueLeft = 80;
constexpr int ClueTop = 6;
constexpr int BoxHeight = 22;
constexpr int StartWidth = 72;
constexpr int FieldsHeight = 26;
// The least the window shows of the clue box and of the results.
constexpr int MinClueWidth = 120;
constexpr int MinListRows = 4;

using Platform::named;

std::optional<ClueKey> clueKeyOf(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return ClueKey::Enter;
    case Qt::Key_Escape:
        return ClueKey::Escape;
    case Qt::Key_Up:
        return ClueKey::Up;
    case Qt::Key_Down:
        return ClueKey::Down;
    case Qt::Key_PageUp:
        return ClueKey::PageUp;
    case Qt::Key_PageDown:
        return ClueKey::PageDown;
    default:
        return std::nullopt;
    }
}

// One of the finder's own images by its key.
QIcon finderImage(const QString& key)
{
    return QIcon(QStringLiteral(":/finder/%1.png").arg(key));
}

// A menu entry's text as the menu shows it: "&" is no mnemonic here.
QString menuText(QString text)
{
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

frm_Find::frm_Find(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm_Find"));
    setAttribute(Qt::WA_DeleteOnClose);
    setSizeGripEnabled(true);

    tbr_Main = named(new QToolBar(this), QStringLiteral("tbr_Main"));
    tbr_Main->setToolButtonStyle(Qt::ToolButtonIconOnly);
    pnl_Search = named(new QWidget(this), QStringLiteral("pnl_Search"));
    pnl_Clue = named(new QWidget(pnl_Search), QStringLiteral("pnl_Clue"));
    for (int i = 0; i < 2; ++i)
        lbl_CluePrompt[size_t(i)] =
            named(new QLabel(pnl_Clue), QStringLiteral("lbl_CluePrompt%1").arg(i));
    txt_Clue = named(new QLineEdit(pnl_Clue), QStringLiteral("txt_Clue"));
    txt_Refine = named(new QLineEdit(pnl_Clue), QStringLiteral("txt_Refine"));
    but_Start = named(new QPushButton(pnl_Clue), QStringLiteral("but_Start"));
    but_Refine = named(new QPushButton(pnl_Clue), QStringLiteral("but_Refine"));
    lbl_FieldsPrompt = named(new QLabel(pnl_Clue), QStringLiteral("lbl_FieldsPrompt"));
    tbr_Fields = named(new QToolBar(pnl_Clue), QStringLiteral("tbr_Fields"));
    tbr_Fields->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tbr_Fields->setIconSize(QSize(16, 16));
    list_Results = named(new QListView(pnl_Search), QStringLiteral("list_Results"));
    list_Results->setModel(&m_flow.results());
    m_delegate = new ResultsDelegate(list_Results);
    list_Results->setItemDelegate(m_delegate);
    // Every row is one line: the view need not measure thousands of rows
    // before it shows the first screenful.
    list_Results->setUniformItemSizes(true);
    list_Results->setSelectionMode(QAbstractItemView::SingleSelection);
    list_Results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_Results->setContextMenuPolicy(Qt::CustomContextMenu);
    list_Results->setMouseTracking(true);
    statbar_Status = named(new QStatusBar(this), QStringLiteral("statbar_Status"));
    statbar_Status->setSizeGripEnabled(false);
    progbar_Progress = named(new QProgressBar(this), QStringLiteral("progbar_Progress"));
    progbar_Progress->setRange(0, 100);
    progbar_Progress->setTextVisible(false);
    progbar_Progress->hide();
    pnl_Properties = new PropertiesPanel(m_remote.properties(), this);
    pnl_Properties->hide();
    pnl_NewContact = new NewContactWidget(m_remote.newContact(), this);
    pnl_NewContact->hide();

    for (QLineEdit* box : {txt_Clue, txt_Refine})
        box->installEventFilter(this);
    progbar_Progress->installEventFilter(this);
    txt_Refine->hide();
    but_Refine->hide();
    lbl_CluePrompt[1]->hide();

    // The design-time places.
    pnl_Clue->move(PanelMargin, 4);
    lbl_CluePrompt[0]->move(6, ClueTop + 3);
    txt_Clue->setGeometry(ClueLeft, ClueTop, 300, BoxHeight);
    but_Start->setGeometry(400, ClueTop - 1, StartWidth, BoxHeight + 2);
    txt_Refine->setGeometry(ClueLeft, 0, 300, BoxHeight);
    lbl_FieldsPrompt->move(6, 0);
    tbr_Fields->setGeometry(ClueLeft, 0, 300, FieldsHeight);
    list_Results->move(PanelMargin, 0);

    wireFlow();
    wireProperties();
    wireNewContact();
    Form_Load();
}

void frm_Find::Form_Load()
{
    Global::guarded("frm_Find:Form_Load", [&] {
        setWindowTitle(Global::ResolveRes(Caption));
        sub_CreateMainToolbar();
        const QStringList prompts = Global::ResolveRes(CluePrompts).split(QLatin1Char('|'));
        lbl_CluePrompt[0]->setText(prompts.value(0));
        lbl_CluePrompt[1]->setText(prompts.value(1));
        lbl_FieldsPrompt->setText(Global::ResolveRes(LookIn));
        for (QPushButton* button : {but_Start, but_Refine})
            button->setIcon(finderImage(QStringLiteral("START")));
        but_Start->setToolTip(Global::ResolveRes(StartTip));
        progbar_Progress->setToolTip(Global::ResolveRes(InterruptTip));
        const Finding::ListColours colours = Finding::storedListColours();
        m_delegate->setColours(colours.highlight, colours.hover);
        m_flow.pageClicked(SearchFlow::SimplePage);
        but_Start->setEnabled(false);
        but_Refine->setEnabled(false);
        // The stored size, but never smaller than the toolbar, the field row
        // and the panels need (the stored sizes were made for smaller fonts).
        updateMinimumSize();
        resize((Finding::storedWindowSize() / Platform::TwipsPerPixel).expandedTo(minimumSize()));
        move(Global::PositionAtCursor(size()));
    });
}

void frm_Find::sub_CreateMainToolbar()
{
    Global::guarded("frm_Find:sub_CreateMainToolbar", [&] {
        tbr_Main->clear();
        mainButtons.clear();
        const bool large = Finding::largeToolbarImages(Platform::uiHost().screenSize().width());
        tbr_Main->setIconSize(large ? QSize(32, 32) : QSize(16, 16));
        auto* pages = new QActionGroup(tbr_Main);
        for (const Finding::ToolbarButton& button : Finding::mainToolbarButtons()) {
            if (button.style == Finding::ButtonStyle::Separator) {
                tbr_Main->addSeparator();
                continue;
            }
            // The caption is the button's description (its tool tip and
            // accessible name), not its text: a button with a text would
            // show it as its tip with tool tips switched off.
            QAction* action = tbr_Main->addAction(
                QIcon(QStringLiteral(":/finder/%1%2.png")
                          .arg(button.key, large ? QString() : QStringLiteral("-small"))),
                QString());
            action->setObjectName(button.key);
            action->setData(button.caption); // its description
            action->setEnabled(button.enabled);
            if (QWidget* toolButton = tbr_Main->widgetForAction(action)) {
                toolButton->setObjectName(QStringLiteral("tbr_Main_") + button.key);
                toolButton->setAccessibleName(button.caption);
            }
            mainButtons.insert(button.key, action);
            if (button.style == Finding::ButtonStyle::Grouped) {
                action->setCheckable(true);
                pages->addAction(action);
                connect(action, &QAction::triggered, this,
                        [this, key = button.key] { m_flow.pageClicked(key); });
            }
            if (button.style == Finding::ButtonStyle::DropDown) {
                auto* menu = new QMenu(this);
                action->setMenu(menu);
                auto* toolButton = qobject_cast<QToolButton*>(tbr_Main->widgetForAction(action));
                if (button.key == QLatin1String("BACK")) {
                    m_backMenu = menu;
                    toolButton->setPopupMode(QToolButton::MenuButtonPopup);
                    connect(action, &QAction::triggered, &m_flow, &SearchFlow::back);
                } else {
                    toolButton->setPopupMode(QToolButton::InstantPopup);
                    const Finding::PickList list = button.key == QLatin1String("FAVOURITES")
                                                       ? Finding::PickList::Favourites
                                                       : Finding::PickList::Recent;
                    connect(menu, &QMenu::aboutToShow, this,
                            [this, menu, list] { fillPicksMenu(menu, list); });
                }
            }
        }
        connect(mainButtons.value(QStringLiteral("DO")), &QAction::triggered, this,
                [] { Indexing::DoOutstandingTasks(); });
        connect(mainButtons.value(QStringLiteral("NEW")), &QAction::triggered, &m_remote,
                &Finding::FinderRemote::openNewContact);
        connect(mainButtons.value(QStringLiteral("SETUP")), &QAction::triggered, this,
                [this] { m_remote.RemoteOp(Finding::FinderRemote::OpenProperties); });
        const std::variant<int, QString> pointer = Finding::toolbarPointer();
        tbr_Main->setCursor(Platform::cursorFor(std::holds_alternative<int>(pointer)
                                                    ? std::get<int>(pointer)
                                                    : std::get<QString>(pointer).mid(4).toInt()));
        m_remote.RemoteOp(Finding::FinderRemote::ShowToolTips, Finding::storedToolTips() ? -1 : 0);
        fillBackMenu();
    });
}

void frm_Find::wireFlow()
{
    connect(txt_Clue, &QLineEdit::textChanged, &m_flow, &SearchFlow::setClue);
    connect(txt_Refine, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_flow.setRefineText(text);
        but_Refine->setEnabled(m_flow.refineEnabled());
    });
    connect(but_Start, &QPushButton::clicked, &m_flow, &SearchFlow::start);
    connect(but_Refine, &QPushButton::clicked, this, [this] {
        m_flow.refine();
        but_Refine->setEnabled(m_flow.refineEnabled());
    });
    connect(&m_flow, &SearchFlow::clueChanged, this, [this](const QString& clue) {
        if (txt_Clue->text() != clue)
            txt_Clue->setText(clue);
    });
    connect(&m_flow, &SearchFlow::startEnabledChanged, this, &frm_Find::mirrorStart);
    connect(&m_flow, &SearchFlow::pageButtonPressed, this, [this](const QString& key) {
        if (QAction* button = mainButtons.value(key))
            button->setChecked(true);
        m_delegate->setSwitches(m_flow.displaySwitches());
        Form_Resize();
    });
    connect(&m_flow, &SearchFlow::statusTextChanged, statbar_Status,
            [this](const QString& text) { statbar_Status->showMessage(text); });
    connect(&m_flow, &SearchFlow::refineShownChanged, this, [this](bool shown) {
        for (QWidget* widget :
             std::initializer_list<QWidget*>{txt_Refine, but_Refine, lbl_CluePrompt[1]})
            widget->setVisible(shown);
        Form_Resize();
    });
    connect(&m_flow, &SearchFlow::listEnabledChanged, list_Results, &QListView::setEnabled);
    connect(&m_flow, &SearchFlow::selectedRowChanged, this, &frm_Find::mirrorSelection);
    connect(&m_flow, &SearchFlow::fieldButtonsChanged, this, &frm_Find::fillFieldButtons);
    connect(&m_flow, &SearchFlow::historyChanged, this, &frm_Find::fillBackMenu);
    connect(&m_flow, &SearchFlow::clueSelectAll, txt_Clue, &QLineEdit::selectAll);
    connect(&m_flow, &SearchFlow::refineSelectAll, this, [this] {
        but_Refine->setEnabled(m_flow.refineEnabled());
        txt_Refine->selectAll();
        txt_Refine->setFocus();
    });
    connect(&m_flow, &SearchFlow::progressShown, progbar_Progress, &QProgressBar::setVisible);
    connect(&m_flow, &SearchFlow::progressChanged, progbar_Progress, &QProgressBar::setValue);

    connect(&m_flow, &SearchFlow::clueEnabledChanged, this, [this](bool enabled) {
        txt_Clue->setEnabled(enabled);
        // BROWSE keeps the search pages' field buttons, greyed.
        tbr_Fields->setEnabled(m_flow.currentPage() != SearchFlow::BrowsePage);
        mirrorStart();
        if (!enabled)
            list_Results->setFocus();
    });
    // On BROWSE a click on a row's picture picks it; a double-click or Enter
    // on it lists its folder. Elsewhere a click or Enter picks.
    // A style may activate a row on the same click: a row picked has hidden
    // the finder, and nothing more happens.
    connect(list_Results, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (!isVisible())
            return;
        const QPoint at = list_Results->viewport()->mapFromGlobal(QCursor::pos());
        if (m_flow.currentPage() == SearchFlow::BrowsePage &&
            at.x() - list_Results->visualRect(index).left() < ResultsDelegate::PictureWidth)
            m_flow.rowActivated(index.row(), 1);
        else
            m_flow.rowClicked(index.row());
    });
    connect(list_Results, &QListView::activated, this, [this](const QModelIndex& index) {
        if (isVisible())
            m_flow.rowActivated(index.row(), 2);
    });
    connect(list_Results, &QListView::customContextMenuRequested, this, &frm_Find::showResultsMenu);

    connect(&m_remote, &Finding::FinderRemote::hideRequested, this, &QWidget::hide);
    connect(&m_remote, &Finding::FinderRemote::toolTipsShownChanged, this, [this](bool shown) {
        for (QAction* action : std::as_const(mainButtons))
            action->setToolTip(shown ? action->data().toString() : QString());
    });
    connect(&m_remote, &Finding::FinderRemote::usersAllowedChanged, this,
            &frm_Find::mirrorButtonStates);
    connect(&m_remote, &Finding::FinderRemote::newEnabledChanged, this,
            &frm_Find::mirrorButtonStates);
    connect(&m_remote, &Finding::FinderRemote::closeRequestHandlingRequested, this, [this] {
        if (m_remote.refuseClose())
            return;
        Finding::storeWindowSize(size() * Platform::TwipsPerPixel);
        m_flow.forgetLastClue();
    });
}

void frm_Find::wireProperties()
{
    Finding::IndexProperties& properties = m_remote.properties();
    connect(&properties, &Finding::IndexProperties::shownChanged, this,
            [this](bool shown) { showPanel(pnl_Properties, shown); });
    connect(&properties, &Finding::IndexProperties::closed, this, [this] {
        // The focus may be refused (the finder hides next); that is no fault.
        txt_Clue->setFocus();
    });
    connect(&properties, &Finding::IndexProperties::coloursApplied, this,
            [this](const Finding::ListColours& colours) {
                m_delegate->setColours(colours.highlight, colours.hover);
                list_Results->viewport()->update();
            });
    connect(&properties, &Finding::IndexProperties::progressShown, progbar_Progress,
            &QProgressBar::setVisible);
    connect(&properties, &Finding::IndexProperties::progressChanged, progbar_Progress,
            &QProgressBar::setValue);
}

void frm_Find::wireNewContact()
{
    Finding::NewContactPanel& panel = m_remote.newContact();
    connect(&panel, &Finding::NewContactPanel::shownChanged, this,
            [this](bool shown) { showPanel(pnl_NewContact, shown); });
    connect(&panel, &Finding::NewContactPanel::closed, this, [this] { txt_Clue->setFocus(); });
    connect(&panel, &Finding::NewContactPanel::busyChanged, this,
            [this](bool busy) { setEnabled(!busy); });
    connect(&panel, &Finding::NewContactPanel::progressShown, progbar_Progress,
            &QProgressBar::setVisible);
    connect(&panel, &Finding::NewContactPanel::progressChanged, progbar_Progress,
            &QProgressBar::setValue);
}

void frm_Find::showPanel(QWidget* panel, bool shown)
{
    tbr_Main->setEnabled(!shown);
    pnl_Search->setEnabled(!shown);
    if (!shown) {
        panel->hide();
        return;
    }
    // The panel at the size its filled controls need; the window grows to
    // hold it whole.
    panel->resize(panel->sizeHint().expandedTo(panel->size()));
    panel->show();
    updateMinimumSize();
    centrePanels();
    panel->raise();
}

void frm_Find::centrePanels()
{
    for (QWidget* panel : std::initializer_list<QWidget*>{pnl_Properties, pnl_NewContact})
        panel->move((width() - panel->width()) / 2, (height() - panel->height()) / 2);
}

QAction* frm_Find::addFieldAction(const QString& text)
{
    auto* action = new QAction(text, m_fieldsOwner);
    tbr_Fields->addAction(action);
    return action;
}

void frm_Find::fillFieldButtons()
{
    // The buttons, their group and their connections go with their owner.
    delete m_fieldsOwner;
    m_fieldsOwner = new QObject(this);
    tbr_Fields->clear();
    list_Results->setSelectionMode(QAbstractItemView::SingleSelection);
    if (m_flow.currentPage() == SearchFlow::UsersPage) {
        fillUsersButtons();
        return;
    }
    lbl_FieldsPrompt->setText(Global::ResolveRes(LookIn));
    const QList<Finding::FieldButton>& buttons = m_flow.fieldButtons();
    auto* group = new QActionGroup(m_fieldsOwner);
    group->setExclusive(m_flow.simpleMode());
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        QAction* action = addFieldAction(buttons[i].caption);
        action->setIcon(finderImage(m_flow.fieldImage(int(i))));
        action->setObjectName(QStringLiteral("field%1").arg(buttons[i].field));
        action->setCheckable(true);
        action->setChecked(buttons[i].pressed);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, i] {
            m_flow.fieldButtonClicked(int(i));
            txt_Clue->setFocus();
        });
    }
    const bool shown = !buttons.isEmpty();
    tbr_Fields->setVisible(shown);
    lbl_FieldsPrompt->setVisible(shown);
    Form_Resize();
}

void frm_Find::fillUsersButtons()
{
    const SearchFlow::UsersRow row = SearchFlow::usersRow();
    lbl_FieldsPrompt->setText(row.prompt);
    auto* group = new QActionGroup(m_fieldsOwner);
    QAction* one = addFieldAction(QLatin1Char(' ') + row.one);
    QAction* many = addFieldAction(QLatin1Char(' ') + row.many);
    for (QAction* action : {one, many}) {
        action->setCheckable(true);
        group->addAction(action);
    }
    QAction* all = addFieldAction(QLatin1Char(' ') + row.all);
    tbr_Fields->addSeparator();
    QAction* ok = addFieldAction(row.ok);
    connect(one, &QAction::triggered, &m_flow, [this] { m_flow.setUsersMany(false); });
    connect(many, &QAction::triggered, &m_flow, [this] { m_flow.setUsersMany(true); });
    connect(all, &QAction::triggered, &m_flow, &SearchFlow::usersAll);
    connect(ok, &QAction::triggered, this, [this] {
        QList<int> rows;
        for (const QModelIndex& index : list_Results->selectionModel()->selectedIndexes())
            rows << index.row();
        m_flow.setChosenRows(rows);
        m_flow.usersOk();
    });
    // One: a click picks a user; Many: clicks choose, OK hands them back.
    const auto mirror = [this, one, many, ok](bool chooseMany) {
        (chooseMany ? many : one)->setChecked(true);
        one->setIcon(finderImage(chooseMany ? QStringLiteral("RN") : QStringLiteral("RY")));
        many->setIcon(finderImage(chooseMany ? QStringLiteral("RY") : QStringLiteral("RN")));
        list_Results->setSelectionMode(chooseMany ? QAbstractItemView::MultiSelection
                                                  : QAbstractItemView::SingleSelection);
        ok->setEnabled(chooseMany);
    };
    connect(&m_flow, &SearchFlow::usersManyChanged, ok, mirror);
    connect(&m_flow, &SearchFlow::usersManyChanged, ok,
            [this] { m_delegate->setSwitches(m_flow.displaySwitches()); });
    mirror(m_flow.usersMany());
    tbr_Fields->setVisible(true);
    lbl_FieldsPrompt->setVisible(true);
    Form_Resize();
}

void frm_Find::fillBackMenu()
{
    if (!m_backMenu)
        return;
    m_backMenu->clear();
    for (const QString& clue : m_flow.backMenu()) {
        QAction* entry = m_backMenu->addAction(menuText(clue));
        connect(entry, &QAction::triggered, this, [this, clue] { m_flow.backMenuChosen(clue); });
    }
    mirrorButtonStates();
}

void frm_Find::mirrorButtonStates()
{
    const std::pair<QString, bool> states[] = {
        {QStringLiteral("BACK"), m_flow.backEnabled()},
        {QStringLiteral("NEW"), m_remote.newEnabled()},
        {SearchFlow::UsersPage, m_remote.usersAllowed()},
    };
    for (const auto& [key, enabled] : states) {
        if (QAction* button = mainButtons.value(key))
            button->setEnabled(enabled);
    }
    // A drop-down's menu sets its button's state whenever the menu's own
    // changes, as it does when the main window is enabled again after a busy
    // step: BACK's menu is kept off while BACK is.
    if (m_backMenu)
        m_backMenu->setEnabled(m_flow.backEnabled());
}

void frm_Find::fillPicksMenu(QMenu* menu, Finding::PickList list)
{
    // Built anew at each opening, so that entries added elsewhere show.
    menu->clear();
    Global::guarded("frm_Find:tbr_Main_ButtonDropDown", [&] {
        const QList<Finding::StoredPick> picks = Finding::storedPicks(list);
        for (const Finding::StoredPick& entry : picks) {
            connect(menu->addAction(menuText(entry.display)), &QAction::triggered, this,
                    [this, pick = entry.pick] { choosePick(pick); });
        }
        if (picks.isEmpty())
            return;
        menu->addSeparator();
        if (list == Finding::PickList::Recent) {
            connect(menu->addAction(Global::ResolveRes(ClearRecentItem)), &QAction::triggered, this,
                    [] { Finding::clearPicks(Finding::PickList::Recent); });
            return;
        }
        QMenu* remove = menu->addMenu(Global::ResolveRes(RemoveFavouriteItem));
        for (const Finding::StoredPick& entry : picks) {
            connect(
                remove->addAction(menuText(entry.display)), &QAction::triggered, this,
                [pick = entry.pick] { Finding::removePick(Finding::PickList::Favourites, pick); });
        }
    });
}

void frm_Find::choosePick(const QString& pick)
{
    // A stored pick goes back as it is: nothing is searched, and the recent
    // list stays as it was.
    hide();
    Platform::uiHost().doEvents();
    m_remote.ReturnPick(pick);
}

void frm_Find::showResultsMenu(const QPoint& at)
{
    const QModelIndex index = list_Results->indexAt(at);
    if (!index.isValid())
        return;
    m_flow.selectRow(index.row());
    if (!m_flow.selectedPick())
        return;
    QMenu menu(this);
    connect(menu.addAction(Global::ResolveRes(PickItem)), &QAction::triggered, &m_flow,
            &SearchFlow::pickSelected);
    connect(menu.addAction(Global::ResolveRes(AddFavouriteItem).section(QLatin1Char(','), 1)),
            &QAction::triggered, this,
            [this] { m_remote.RemoteOp(Finding::FinderRemote::AddFavourite); });
    menu.exec(list_Results->viewport()->mapToGlobal(at));
}

void frm_Find::mirrorSelection(int row)
{
    const QSignalBlocker blocker(list_Results);
    if (row < 0) {
        list_Results->clearSelection();
        return;
    }
    const QModelIndex index = m_flow.results().index(row);
    list_Results->setCurrentIndex(index);
    list_Results->scrollTo(index);
}

Finding::FindLayoutInput frm_Find::layoutInput() const
{
    Finding::FindLayoutInput in;
    in.inner = size();
    in.toolbarHeight = tbr_Main->sizeHint().height();
    const int statusHeight = statbar_Status->sizeHint().height();
    in.statusBar = QRect(0, height() - statusHeight, width(), statusHeight);
    in.cluePanel = pnl_Clue->pos();
    in.clueBox = txt_Clue->geometry();
    in.refineBoxHeight = txt_Refine->height();
    in.startWidth = but_Start->width();
    in.fieldsLeft = tbr_Fields->x();
    in.fieldsHeight = tbr_Fields->height();
    in.listLeft = list_Results->x();
    in.refineShown = m_flow.refineShown();
    in.fieldsShown = tbr_Fields->isVisibleTo(this);
    return in;
}

void frm_Find::updateMinimumSize()
{
    Finding::FindMinimumInput in;
    in.layout = layoutInput();
    in.toolbarWidth = tbr_Main->sizeHint().width();
    in.fieldsWidth = tbr_Fields->sizeHint().width();
    in.clueWidth = MinClueWidth;
    in.listHeight = MinListRows * (list_Results->fontMetrics().lineSpacing() + 4) +
                    2 * list_Results->frameWidth();
    for (QWidget* panel : std::initializer_list<QWidget*>{pnl_Properties, pnl_NewContact})
        in.panels << panel->size();
    // A window smaller than this is made this big.
    setMinimumSize(Finding::findMinimumSize(in));
}

void frm_Find::Form_Resize()
{
    updateMinimumSize();
    const Finding::FindLayoutInput in = layoutInput();
    const int statusHeight = in.statusBar.height();
    const Finding::FindLayout out = Finding::findLayout(in);

    tbr_Main->setGeometry(0, 0, width(), in.toolbarHeight);
    statbar_Status->setGeometry(in.statusBar);
    if (out.searchPanelHeight)
        pnl_Search->setGeometry(0, in.toolbarHeight, width(), *out.searchPanelHeight);
    progbar_Progress->setGeometry(out.progressBar.left(), out.progressBar.top(),
                                  out.progressBar.width(), statusHeight - 8);
    if (out.cluePanelWidth)
        pnl_Clue->resize(*out.cluePanelWidth, out.cluePanelHeight);
    if (out.list.width() >= 0 && out.list.height() >= 0)
        list_Results->setGeometry(out.list);
    but_Start->move(out.startLeft, but_Start->y());
    if (out.clueWidth) {
        txt_Clue->resize(*out.clueWidth, txt_Clue->height());
        txt_Refine->setGeometry(txt_Clue->x(), out.refineTop, *out.clueWidth, txt_Refine->height());
    }
    but_Refine->setGeometry(out.startLeft, out.refineTop - 1, out.refineButtonWidth,
                            but_Start->height());
    lbl_CluePrompt[1]->move(lbl_CluePrompt[0]->x(), out.refineTop + 3);
    lbl_FieldsPrompt->move(lbl_CluePrompt[0]->x(), out.fieldsTop + 5);
    tbr_Fields->move(tbr_Fields->x(), out.fieldsTop);
    if (out.fieldsWidth)
        tbr_Fields->resize(*out.fieldsWidth, tbr_Fields->height());
    centrePanels();
}

void frm_Find::mirrorStart()
{
    // Start belongs to the clue row, which BROWSE and USERS grey.
    but_Start->setEnabled(m_flow.clueEnabled() && m_flow.startEnabled());
}

void frm_Find::Form_Activate()
{
    txt_Clue->selectAll();
    txt_Clue->setFocus();
}

void frm_Find::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frm_Find::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Resize();
    Form_Activate();
}

void frm_Find::closeEvent(QCloseEvent* event)
{
    // A close while a panel shows only beeps: the panel is left with its
    // own buttons.
    if (m_remote.refuseClose()) {
        event->ignore();
        return;
    }
    // Form_QueryUnload: the size the user left is kept for the next display.
    m_flow.forgetLastClue();
    Finding::storeWindowSize(size() * Platform::TwipsPerPixel);
    QDialog::closeEvent(event);
}

void frm_Find::reject()
{
    // Escape while a panel shows closes the panel: the search page is back.
    if (m_remote.refuseClose()) {
        m_remote.closePanel();
        return;
    }
    hide();
}

bool frm_Find::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == progbar_Progress && event->type() == QEvent::MouseButtonPress) {
        if (m_remote.properties().rebuilding())
            m_remote.properties().stopRebuild();
        else
            m_flow.interruptSearch();
        return true;
    }
    if ((watched == txt_Clue || watched == txt_Refine) && event->type() == QEvent::KeyPress) {
        const auto key = clueKeyOf(static_cast<QKeyEvent*>(event)->key());
        if (!key)
            return false;
        const bool swallowed = watched == txt_Clue ? m_flow.clueKey(*key) : m_flow.refineKey(*key);
        if (*key == ClueKey::Escape && !swallowed)
            reject(); // Escape on an empty list: hidden without a pick
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
