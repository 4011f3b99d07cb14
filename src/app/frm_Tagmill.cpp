// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_Tagmill.h"

#include "MainLayout.h"
#include "MainMenu.h"
#include "SourceView.h"
#include "UnknownFormBar.h"
#include "converters/Converters.h"
#include "finder/widgets/frm_Find.h"
#include "frm_MatchTags.h"
#include "frm_Preview.h"
#include "frm_TagmillShared.h"
#include "linking/MailImportRun.h"
#include "linking/TagLinks.h"
#include "platform/Cursors.h"
#include "platform/UiHost.h"
#include "shared/Files.h"
#include "shared/Formatting.h"
#include "shared/Messages.h"
#include "shared/Paths.h"
#include "shared/Settings.h"
#include "shared/Tweaks.h"
#include "shared/Values.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QTextDocument>
#include <QToolBar>

using namespace App::MainWindow;

namespace {

// The window's own texts.

namespace Str {
enum : int
{
    NoFormSubmissions = 9302,
    FolderSummary = 9303,
    OpenDialog = 9306,
    Opening = 9307,
    ToolbarButtons = 9308, // to 9309, 9328, 9329 and 9360
    Captions = 9320,
    NoMatchingTags = 9363,
    TitleWithDocument = 9367,
};
}

namespace Op {
enum : int
{
    ToolTips = 1098,
    FinderPick = 2261,
};
}

// Pointer of the clickable folder and document fields.
constexpr int ClickableCursor = 21;

// The keys of the toolbar's buttons; a button without one is switched off.
QKeySequence toolbarShortcut(const QString& key)
{
    if (key == QLatin1String("LTAG"))
        return QKeySequence(Qt::SHIFT | Qt::Key_F3);
    if (key == QLatin1String("NTAG"))
        return QKeySequence(Qt::Key_F3);
    if (key == QLatin1String("UTAG"))
        return QKeySequence(Qt::CTRL | Qt::Key_F3);
    if (key == QLatin1String("PREVIEW"))
        return QKeySequence(Qt::CTRL | Qt::Key_P);
    if (key == QLatin1String("MATCH"))
        return QKeySequence(Qt::CTRL | Qt::Key_M);
    return {};
}

QString tagOf(const QWidget* box)
{
    return box->property("tag").toString();
}

void setTag(QWidget* box, const QString& value)
{
    box->setProperty("tag", value);
}

} // namespace

// Disables the window for a long step that lets the event queue run (the
// steps show the busy pointer themselves); nested steps leave it to the
// outermost. Disabling takes the keyboard focus away: it goes back where it
// was, so that the keys typed next reach the control they were meant for. A
// close asked for meanwhile is carried out when the outermost step ends.
class frm_Tagmill::BusyWindow
{
public:
    explicit BusyWindow(frm_Tagmill& window) : m_window(window)
    {
        if (m_window.m_busy++ == 0) {
            m_wasEnabled = m_window.isEnabled();
            m_focus = m_window.focusWidget();
            m_window.setEnabled(false);
        }
    }
    ~BusyWindow()
    {
        if (--m_window.m_busy == 0) {
            m_window.setEnabled(m_wasEnabled);
            if (m_focus && m_focus->isEnabled() && m_focus->isVisible())
                m_focus->setFocus(Qt::OtherFocusReason);
            if (std::exchange(m_window.m_closeRequested, false))
                m_window.close();
        }
    }
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

private:
    frm_Tagmill& m_window;
    bool m_wasEnabled = true;
    QPointer<QWidget> m_focus;
};

frm_Tagmill::frm_Tagmill(QWidget* parent)
    : QWidget(parent), m_mailImport(new Linking::MailImportRun(this))
{
    setObjectName(QStringLiteral("frm_Tagmill"));
    createControls();
    wireLinker();
    connect(m_mailImport, &Linking::MailImportRun::finished, this, &frm_Tagmill::mailImportEnded);
}

bool frm_Tagmill::isBusy() const
{
    return m_busy > 0 || m_mailImport->isRunning();
}

frm_Tagmill::~frm_Tagmill() = default;

void frm_Tagmill::wireLinker()
{
    // A form defined from the bar is read with the others, and the folder is
    // scanned again to show its fields.
    connect(bar_UnknownForm, &App::UnknownFormBar::formDefined, this, [this] {
        m_formSubmissions = Linking::loadFormSubmissions();
        sub_ScanJobFolder();
    });
    connect(&m_linker, &Linking::TagLinker::rowsReset, this, &frm_Tagmill::fillRows);
    connect(&m_linker, &Linking::TagLinker::rowChanged, this, &frm_Tagmill::showRow);
    connect(&m_linker, &Linking::TagLinker::tagMarksReset, this, [this] {
        m_tagMarks->reset(m_sourceMap, m_linker.tagMarks().marks());
        showTagCounts();
    });
    connect(&m_linker, &Linking::TagLinker::tagMarksChanged, this, [this](const QList<int>& marks) {
        m_tagMarks->update(m_linker.tagMarks().marks(), marks);
        showTagCounts();
    });
    connect(&m_linker, &Linking::TagLinker::currentRowChanged, this, [this](int row) {
        // The list's own notifications are held back: this is not a click.
        const QSignalBlocker blocker(list_Fields);
        list_Fields->setCurrentRow(row);
        if (row < 0)
            list_Fields->clearSelection();
        list_Fields->viewport()->update();
    });
    connect(txt_Document, &QLineEdit::textChanged, this, [this](const QString& name) {
        setWindowTitle(name.isEmpty() ? Global::ResolveRes(Global::Str::ProgramTitle)
                                      : Global::ResolveRes(Str::TitleWithDocument, {name}));
    });
    connect(&m_linker, &Linking::TagLinker::selectedFieldChanged, txt_Link[0], &QLineEdit::setText);
    connect(&m_linker, &Linking::TagLinker::selectedTagChanged, txt_Link[1], &QLineEdit::setText);
    connect(&m_linker, &Linking::TagLinker::canLinkChanged, this, [this](bool canLink) {
        for (QWidget* control :
             {static_cast<QWidget*>(opt_Link[0]), static_cast<QWidget*>(opt_Link[1]),
              static_cast<QWidget*>(but_Link), static_cast<QWidget*>(but_UnLink)})
            control->setEnabled(canLink);
    });
    connect(&m_linker, &Linking::TagLinker::sourceSelectionRequested, this,
            &frm_Tagmill::selectInSource);
}

void frm_Tagmill::Form_Load()
{
    Platform::UiHost& host = Platform::uiHost();
    host.setPointer(Platform::Pointer::ArrowHourglass);
    host.doEvents();
    setWindowTitle(Global::ResolveRes(Global::Str::ProgramTitle));

    Global::InitGlobals();
    Routines_Converters::buildDocumentTexts();
    Global::dropWizardsFolder();
    Global::CheckPaths();

    m_formSubmissions = Linking::loadFormSubmissions();
    sub_CreateToolbar();

    BusyWindow busy(*this);
    const QStringList captions = Global::ResolveRes(Str::Captions).split(QChar(0));
    const auto caption = [&](int i) { return captions.value(i); };
    for (int i = 0; i < 4; ++i)
        lbl_Prompt[size_t(i)]->setText(caption(i));
    opt_Link[0]->setText(caption(4));
    opt_Link[1]->setText(caption(5));
    but_Link->setText(caption(6));
    but_UnLink->setText(caption(7));
    // A button's caption sets its shortcut from its mnemonic: ours come after.
    but_Link->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    but_UnLink->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    createMenuBar();

    txt_Folder->setCursor(Platform::cursorFor(ClickableCursor));
    txt_Document->setCursor(Platform::cursorFor(ClickableCursor));

    QPalette palette = split_Main->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    split_Main->setPalette(palette);
    split_Main->setAutoFillBackground(true);

    // The labels take their captions' widths; the boxes start where they end.
    // The document's label follows the folder box directly: its margin keeps
    // the two apart.
    lbl_Prompt[2]->setContentsMargins(0, 0, Margin / 2, 0);
    lbl_Prompt[3]->setContentsMargins(2 * Margin, 0, Margin / 2, 0);
    for (QLabel* label : lbl_Prompt)
        label->adjustSize();
    const int promptWidth = qMax(lbl_Prompt[0]->width(), lbl_Prompt[1]->width());
    for (int i = 0; i < 2; ++i) {
        lbl_Prompt[size_t(i)]->resize(promptWidth, RowHeight);
        txt_Link[size_t(i)]->setGeometry(2 * Margin + promptWidth, lbl_Prompt[size_t(i)]->y(), 200,
                                         RowHeight);
        opt_Link[size_t(i)]->adjustSize();
    }
    const int optionWidth = qMax(opt_Link[0]->width(), opt_Link[1]->width());
    const int buttonWidth = qMax(but_Link->sizeHint().width(), but_UnLink->sizeHint().width());
    for (int i = 0; i < 2; ++i) {
        opt_Link[size_t(i)]->resize(optionWidth, RowHeight);
        opt_Link[size_t(i)]->move(0, lbl_Prompt[size_t(i)]->y());
    }
    but_Link->setGeometry(0, lbl_Prompt[0]->y(), buttonWidth, RowHeight);
    but_UnLink->setGeometry(0, lbl_Prompt[1]->y(), buttonWidth, RowHeight);
    const int top = topRowTop();
    for (int i = 2; i < 4; ++i)
        lbl_Prompt[size_t(i)]->setGeometry(lbl_Prompt[size_t(i)]->x(), top,
                                           lbl_Prompt[size_t(i)]->width(), RowHeight);
    txt_Folder->setGeometry(lbl_Prompt[2]->x() + lbl_Prompt[2]->width(), top, 200, RowHeight);
    txt_Document->setGeometry(txt_Folder->geometry().right() + 1, top, 200, RowHeight);
    tbr_Main->adjustSize();
    tbr_Main->move(width() - tbr_Main->width(), top + (RowHeight - tbr_Main->height()) / 2);
    split_Main->move(Margin, top + SplitterTop - TopRowTop);
    setMinimumSize(App::minimumSize(layoutInput()));
    restoreWindowState();

    show();
    Form_Resize();
    host.doEvents();

    Global::guarded("frm_Tagmill:Form_Load", [&] {
        const QString document = Global::GetRegistryData(Branch, LastDocument).toString();
        if (!document.isEmpty() && Global::FileExists(document))
            sub_LoadSource(document);
        const QString folder = Global::GetRegistryData(Branch, LastFolder).toString();
        if (!folder.isEmpty() && Global::FolderExists(folder)) {
            showJobFolder(folder);
            sub_ScanJobFolder();
        }
    });
    host.setPointer(Platform::Pointer::Default);
}

void frm_Tagmill::sub_CreateToolbar()
{
    const QList<QAction*> previous = tbr_Main->actions();
    tbr_Main->clear();
    qDeleteAll(previous);
    m_toolbarButtons.clear();
    for (const QString& item :
         QStringLiteral("9308,9309,9328,9360,0,9329").split(QLatin1Char(','))) {
        const int number = item.toInt();
        if (number == 0) {
            tbr_Main->addSeparator();
            continue;
        }
        const QStringList parts = Global::ResolveRes(number).split(QLatin1Char(','));
        const QString description = parts.value(0);
        const QString key = parts.value(1);
        if (key == QLatin1String("SPC")) {
            tbr_Main->addSeparator();
            continue;
        }
        // The description is the button's tool tip and accessible name, not
        // its text: a tool tip left empty must stay empty.
        QAction* action = tbr_Main->addAction(imglist_ToolbarSmall.value(key), QString());
        action->setObjectName(key);
        const QKeySequence shortcut = toolbarShortcut(key);
        action->setEnabled(!shortcut.isEmpty());
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, [this, key] { tbr_Main_ButtonClick(key); });
        if (QWidget* button = tbr_Main->widgetForAction(action)) {
            button->setObjectName(QStringLiteral("tbr_Main_") + key);
            button->setAccessibleName(description);
        }
        m_toolbarButtons << ToolbarButton{key, description, action};
    }
    tbr_Main->setCursor(
        Platform::cursorFor(int(Global::GetTweak(Global::Tweak::TaskBarCursor).number())));
    RemoteOp(Op::ToolTips,
             Global::GetRegistryData(QStringLiteral("Preferences"), QStringLiteral("ToolTips"),
                                     {.defaultValue = -1, .valueType = 1, .max = 0, .min = -1}));
}

void frm_Tagmill::RemoteOp(int operation, const QVariant& param1, const QVariant&)
{
    switch (qint16(operation)) {
    case Op::ToolTips: {
        const bool on = Global::toNumber(param1) != 0;
        for (const ToolbarButton& button : std::as_const(m_toolbarButtons))
            button.action->setToolTip(
                on ? App::toolTipWithKey(button.description, button.action->shortcut())
                   : QString());
        break;
    }
    case Op::FinderPick: {
        const QString path = Global::ResolveFolderRef(Global::toText(param1));
        if (!path.isEmpty())
            setJobFolder(path);
        break;
    }
    default:
        break;
    }
}

void frm_Tagmill::showJobFolder(const QString& path)
{
    txt_Folder->setText(Global::FormatFilename(path, QStringLiteral("M")));
    txt_Folder->setCursorPosition(0);
    txt_Folder->setToolTip(path);
    setTag(txt_Folder, path);
}

void frm_Tagmill::setJobFolder(const QString& path)
{
    showJobFolder(path);
    Global::SaveRegistryData(Branch, LastFolder, path);
    sub_ScanJobFolder();
}

void frm_Tagmill::txt_Folder_Click()
{
    if (!isBusy())
        showFinder();
}

frm_Find* frm_Tagmill::showFinder()
{
    // Made at its first use and kept (hidden) between displays; its pick
    // comes back as operation 2261.
    if (!m_finder) {
        m_finder = new frm_Find(this);
        connect(&m_finder->remote(), &Finding::FinderRemote::pickedForMainWindow, this,
                [this](const QString& pick) { RemoteOp(Op::FinderPick, pick, 0); });
    }
    m_finder->remote().RemoteOp(Finding::FinderRemote::Prepare, QStringLiteral("NOCF"), QString());
    m_finder->remote().RemoteOp(Finding::FinderRemote::SetCallerMode,
                                Finding::FinderRemote::MainWindowMode, 0);
    m_finder->open();
    return m_finder;
}

void frm_Tagmill::txt_Document_Click()
{
    if (isBusy())
        return;
    const QString fileName = Global::guarded("frm_Tagmill:txt_Document_Click", [&] {
        const QStringList parts = Global::ResolveRes(Str::OpenDialog).split(QChar(0));
        Platform::OpenFileRequest request;
        request.title = parts.value(0);
        request.defaultExtension = parts.value(1);
        request.filter = parts.value(2);
        request.pathMustExist = true;
        const QString current = documentPath();
        if (!current.isEmpty())
            request.folder = Linking::documentFolder(current);
        return Platform::uiHost().openFile(request);
    });
    if (!fileName.isEmpty())
        openDocument(fileName);
}

void frm_Tagmill::openDocument(const QString& path)
{
    Global::guarded("frm_Tagmill:txt_Document_Click", [&] {
        // The choice is kept only once the document has been read: a file
        // that cannot be opened leaves the previous document in place, so
        // links never go to a document whose source is not the one shown.
        if (!sub_LoadSource(path))
            return;
        Global::SaveRegistryData(Branch, LastDocument, path);
        Linking::storeSourceFile(txt_Document->text(), path);
    });
}

bool frm_Tagmill::sub_LoadSource(const QString& fileName)
{
    BusyWindow busy(*this);
    // "Opening ..." lasts as long as the load; then the status says again
    // what it said before.
    const auto status = qScopeGuard(
        [this, before = statbar_Status->currentMessage()] { statbar_Status->showMessage(before); });
    statbar_Status->showMessage(Global::ResolveRes(Str::Opening, {fileName}));
    Platform::uiHost().doEvents();

    const int previous = Global::BusyPointer();
    const std::optional<QString> text = Linking::readDocument(fileName);
    std::unique_ptr<QTextDocument> document;
    if (text)
        document = App::buildSourceDocumentWhileWaiting(*text);
    Platform::uiHost().setPointer(previous);
    if (!text || !document)
        return false;

    txt_Document->setText(Linking::documentName(fileName));
    txt_Document->setCursorPosition(0);
    txt_Document->setToolTip(fileName);
    setTag(txt_Document, fileName);
    showSource(*text, document.release());
    m_linker.setSource(txt_Document->text(), *text);
    if (!documentPath().isEmpty() && !folderPath().isEmpty())
        m_linker.loadTagLinks();
    return true;
}

void frm_Tagmill::showSource(const QString& text, QTextDocument* document)
{
    // The view owns what it shows: the document it had goes with setDocument.
    document->setParent(rtf_Source);
    m_sourceMap = Linking::SourceMap(text);
    // The new document starts with its caret at the start; the linker learns
    // that from setSource, not from the view.
    m_settingSelection = true;
    rtf_Source->setDocument(document);
    m_settingSelection = false;
    m_reportedSelection = {};
}

void frm_Tagmill::sub_ScanJobFolder()
{
    BusyWindow busy(*this);
    const std::optional<Linking::ScanResult> result =
        Linking::scanJobFolder(folderPath(), m_formSubmissions);
    if (!result)
        return;

    // The list is switched off while it is filled; with no e-mails it stays
    // off, so its one row reads as a note, not a field. The status counts
    // this folder's e-mails even when there are none: the previous folder's
    // counts must not stay.
    list_Fields->setEnabled(false);
    bar_UnknownForm->setForms(result->unknownForms);
    m_linker.setScan(*result);
    statbar_Status->showMessage(
        Global::ResolveRes(Str::FolderSummary, {result->files, result->forms()}));
    if (result->files == 0) {
        list_Fields->addItem(Global::ResolveRes(Str::NoFormSubmissions));
        return;
    }
    list_Fields->setEnabled(true);
    Platform::uiHost().doEvents();
    if (!documentPath().isEmpty() && !folderPath().isEmpty())
        m_linker.loadTagLinks();
}

void frm_Tagmill::fillRows()
{
    const QSignalBlocker blocker(list_Fields);
    list_Fields->setUpdatesEnabled(false);
    list_Fields->clear();
    for (int row = 0; row < m_linker.rows().size(); ++row) {
        list_Fields->addItem(QString());
        showRow(row);
    }
    list_Fields->setUpdatesEnabled(true);
    m_rowJustChanged = false;
}

void frm_Tagmill::showRow(int row)
{
    QListWidgetItem* item = list_Fields->item(row);
    if (!item)
        return;
    item->setText(m_linker.rowText(row));
    const auto use = m_linker.scan().uses.constFind(m_linker.rows().value(row).fieldName);
    item->setToolTip(use == m_linker.scan().uses.cend() ? QString() : Linking::valuesToolTip(*use));
}

void frm_Tagmill::showTagCounts()
{
    const Linking::TagCounts counts = m_linker.tagMarks().counts();
    lbl_TagCounts->setText(counts.tags ? Linking::tagCountsText(counts) : QString());
}

void frm_Tagmill::tbr_Main_ButtonClick(const QString& key)
{
    if (isBusy())
        return;
    BusyWindow busy(*this);
    if (key == QLatin1String("LTAG"))
        m_linker.previousTag();
    else if (key == QLatin1String("NTAG"))
        m_linker.nextTag();
    else if (key == QLatin1String("UTAG"))
        m_linker.nextUnlinkedTag();
    else if (key == QLatin1String("PREVIEW"))
        showPreview();
    else if (key == QLatin1String("MATCH"))
        showMatchDialog();
}

frm_MatchTags* frm_Tagmill::showMatchDialog()
{
    if (m_matchDialog && m_matchDialog->isVisible())
        return m_matchDialog;
    QList<Linking::MatchPair> pairs = m_linker.matchingPairs();
    if (pairs.isEmpty()) {
        Global::showMessage(Str::NoMatchingTags, {}, Platform::MsgButtons::Ok,
                            Platform::MsgIcon::Information, Global::Str::TitleNote);
        return nullptr;
    }
    m_matchDialog = new frm_MatchTags(std::move(pairs), this);
    m_matchDialog->setAttribute(Qt::WA_DeleteOnClose);
    frm_MatchTags* dialog = m_matchDialog;
    connect(dialog, &QDialog::accepted, this,
            [this, dialog] { m_linker.linkPairs(dialog->list().tickedPairs()); });
    dialog->open();
    return dialog;
}

frm_Preview* frm_Tagmill::showPreview()
{
    if (m_preview)
        m_preview->close();
    m_preview = frm_Preview::showFor(documentPath(), txt_Document->text(), folderPath(),
                                     m_linker.scan().mails, m_formSubmissions, this);
    return m_preview;
}

void frm_Tagmill::sourceSelectionChanged()
{
    if (m_settingSelection)
        return;
    const QTextCursor cursor = rtf_Source->textCursor();
    const qsizetype start = m_sourceMap.toDocument(cursor.selectionStart());
    const qsizetype end = m_sourceMap.toDocument(cursor.selectionEnd());
    const Linking::Selection selection{start, end - start};
    if (selection == m_reportedSelection)
        return;
    m_reportedSelection = selection;
    m_linker.sourceSelectionChanged(selection);
}

void frm_Tagmill::selectInSource(Linking::Selection selection)
{
    const qsizetype end = rtf_Source->document()->characterCount() - 1;
    const auto viewPosition = [&](qsizetype position) {
        return int(qBound(qsizetype(0), m_sourceMap.toView(position), end));
    };
    QTextCursor cursor(rtf_Source->document());
    cursor.setPosition(viewPosition(selection.start));
    cursor.setPosition(viewPosition(selection.start + selection.length), QTextCursor::KeepAnchor);
    rtf_Source->setTextCursor(cursor);
    rtf_Source->ensureCursorVisible();
}

QString frm_Tagmill::folderPath() const
{
    return tagOf(txt_Folder);
}

QString frm_Tagmill::documentPath() const
{
    return tagOf(txt_Document);
}

void frm_Tagmill::closeEvent(QCloseEvent* event)
{
    // A long step lets the event queue run; the window closes when it ends.
    // An import stops at its next message.
    if (isBusy()) {
        m_closeRequested = true;
        m_mailImport->stop();
        event->ignore();
        return;
    }
    Global::guarded("frm_Tagmill:Form_Unload", [&] { saveWindowState(); });
    QWidget::closeEvent(event);
}

bool frm_Tagmill::eventFilter(QObject* watched, QEvent* event)
{
    // A click in the source: the view places its caret first (a click inside
    // the selection places it only on the release), then a caret inside a
    // tag selects the whole tag.
    if (watched == rtf_Source->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && !m_releasingInSource) {
        m_releasingInSource = true;
        QCoreApplication::sendEvent(watched, event);
        m_releasingInSource = false;
        m_linker.sourceClicked();
        return true;
    }
    if (watched == txt_Folder || watched == txt_Document) {
        bool clicked = false;
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            clicked = mouse->button() == Qt::LeftButton &&
                      static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint());
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            clicked = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
        }
        if (clicked) {
            if (watched == txt_Folder)
                txt_Folder_Click();
            else
                txt_Document_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
