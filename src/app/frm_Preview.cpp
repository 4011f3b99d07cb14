// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_Preview.h"

#include "SourceView.h"
#include "linking/SourceText.h"
#include "shared/Files.h"
#include "shared/Messages.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>

frm_Preview::frm_Preview(std::unique_ptr<Linking::PagePreview> preview, QWidget* parent)
    : QWidget(parent, Qt::Window), m_preview(std::move(preview))
{
    setObjectName(QStringLiteral("frm_Preview"));
    setAttribute(Qt::WA_DeleteOnClose);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
    lbl_Mail = new QLabel(Global::ResolveRes(9331), this);
    cbo_Mail = new QComboBox(this);
    cbo_Mail->setObjectName(QStringLiteral("cbo_Mail"));
    cbo_Mail->addItems(m_preview->mailTexts());
    cbo_Mail->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lbl_Mail->setBuddy(cbo_Mail);
    but_Save = new QPushButton(Global::ResolveRes(9345), this);
    but_Save->setObjectName(QStringLiteral("but_Save"));
    but_Save->setEnabled(false);
    but_Save->setToolTip(QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText));
    connect(but_Save, &QPushButton::clicked, this, &frm_Preview::but_Save_Click);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, but_Save,
            &QPushButton::animateClick);
    but_FillAll = new QPushButton(Global::ResolveRes(9391), this);
    but_FillAll->setObjectName(QStringLiteral("but_FillAll"));
    connect(but_FillAll, &QPushButton::clicked, this, &frm_Preview::but_FillAll_Click);

    tab_View = new QTabWidget(this);
    tab_View->setObjectName(QStringLiteral("tab_View"));
    txt_Page = new QTextBrowser(tab_View);
    txt_Page->setObjectName(QStringLiteral("txt_Page"));
    // A preview follows no link: the page stays what it is.
    txt_Page->setOpenLinks(false);
    txt_Source = new QPlainTextEdit(tab_View);
    txt_Source->setObjectName(QStringLiteral("txt_Source"));
    txt_Source->setReadOnly(true);
    txt_Source->setLineWrapMode(QPlainTextEdit::NoWrap);
    txt_Source->setFont(App::sourceFont());
    m_marks = new App::TagMarkSelections(*txt_Source);
    const QStringList tabs = Global::ResolveRes(9332).split(QLatin1Char('|'));
    tab_View->addTab(txt_Page, tabs.value(0));
    tab_View->addTab(txt_Source, tabs.value(1));

    auto* top = new QHBoxLayout;
    top->addWidget(lbl_Mail);
    top->addWidget(cbo_Mail, 1);
    top->addWidget(but_Save);
    top->addWidget(but_FillAll);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(tab_View, 1);
    resize(820, 640);

    connect(m_preview.get(), &Linking::PagePreview::filledChanged, this, &frm_Preview::showFilled);
    connect(cbo_Mail, &QComboBox::currentIndexChanged, this, [this](int index) {
        const Global::BusyPointerScope busy;
        if (!m_preview->choose(index)) {
            const QSignalBlocker blocker(cbo_Mail);
            cbo_Mail->setCurrentIndex(m_preview->current());
        }
    });
    if (m_preview->current() >= 0)
        showFilled();
}

frm_Preview* frm_Preview::showFor(const QString& path, const QString& displayName,
                                  const QString& folder, const QList<Linking::FormMail>& mails,
                                  const QList<Linking::FormSubmissionDef>& defs, QWidget* parent)
{
    if (path.isEmpty() || mails.isEmpty()) {
        Global::showMessage(9333, {}, Platform::MsgButtons::Ok, Platform::MsgIcon::Information,
                            Global::Str::TitleNote);
        return nullptr;
    }
    std::optional<QByteArray> bytes = Linking::readDocumentBytes(path);
    if (!bytes)
        return nullptr;
    auto* window = new frm_Preview(std::make_unique<Linking::PagePreview>(
                                       path, std::move(*bytes), displayName, folder, mails, defs),
                                   parent);
    // The page's pictures are beside it, as its own links name them.
    window->txt_Page->setSearchPaths({Linking::documentFolder(path)});
    for (int i = 0; i < mails.size() && !window->preview().choose(i); ++i) {
    }
    window->show();
    return window;
}

void frm_Preview::showFilled()
{
    setWindowTitle(Global::ResolveRes(9330, {m_preview->displayName()}));
    {
        const QSignalBlocker blocker(cbo_Mail);
        cbo_Mail->setCurrentIndex(m_preview->current());
    }
    but_Save->setEnabled(true);
    renderPage();
    txt_Source->setPlainText(m_preview->sourceText());
    m_marks->reset(Linking::SourceMap(m_preview->sourceText()), m_preview->marks().marks());
}

namespace {

// The beginning of a long page that is read first, so that its first screen
// shows while the rest is read: up to a line end near this many characters.
constexpr qsizetype FirstPart = 32 * 1024;

// A document read on a worker thread, handed to the window's thread; one
// that is never shown is deleted there.
struct Built
{
    std::unique_ptr<QTextDocument> document;
};

// The page read into a document that has no layout: nothing in it is laid
// out, so no font is shaped on this thread. Its style sheets are read here,
// from beside the document (`base`).
std::shared_ptr<Built> readPage(const QString& html, const QUrl& base, QThread* home)
{
    auto built = std::make_shared<Built>();
    built->document = std::make_unique<QTextDocument>();
    built->document->setUndoRedoEnabled(false);
    built->document->setBaseUrl(base);
    built->document->setHtml(html);
    built->document->moveToThread(home);
    return built;
}

} // namespace

void frm_Preview::renderPage()
{
    const int render = m_rendering = ++m_renders;
    txt_Page->setPlainText(Global::ResolveRes(9335));
    QPointer<frm_Preview> window(this);
    QThread* const home = QThread::currentThread();
    // Delivered on the application's thread, where the window may have gone
    // or moved on to another e-mail meanwhile.
    const auto handOver = [window, render](std::shared_ptr<Built> built, bool whole) {
        QMetaObject::invokeMethod(
            qApp,
            [window, render, built, whole] {
                if (window && window->m_rendering == render)
                    window->showPage(built->document.release(), whole);
            },
            Qt::QueuedConnection);
    };
    const QUrl base =
        QUrl::fromLocalFile(Linking::documentFolder(m_preview->documentPath()) + QLatin1Char('/'));
    QThread* worker = QThread::create([handOver, home, base, html = m_preview->pageHtml()] {
        if (html.size() > 2 * FirstPart) {
            const qsizetype end = html.indexOf(u'\n', FirstPart);
            handOver(readPage(html.first(end < 0 ? FirstPart : end), base, home), false);
        }
        handOver(readPage(html, base, home), true);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

void frm_Preview::showPage(QTextDocument* page, bool whole)
{
    // The page shown before goes (the browser deletes its own first
    // document itself); the browser loads the pictures of the documents it
    // owns.
    QPointer<QTextDocument> shown = txt_Page->document();
    const bool ours = shown->parent() == txt_Page;
    page->setParent(txt_Page);
    txt_Page->setDocument(page);
    if (ours && shown)
        delete shown.data();
    emit pageBegun();
    if (!whole)
        return;
    m_rendering = 0;
    emit pageRendered();
}

void frm_Preview::but_Save_Click()
{
    const QString path = Platform::uiHost().saveFile(m_preview->saveRequest());
    if (!path.isEmpty())
        m_preview->saveAs(path);
}

void frm_Preview::but_FillAll_Click()
{
    const int total = int(m_preview->mails().size());
    // Made at the first page, so that it never stands over the question
    // that comes before the filling.
    std::unique_ptr<QProgressDialog> progress;
    m_preview->fillAll(Linking::defaultPagesFolder(), [&](const Linking::SavedPage&, int done) {
        if (!progress) {
            progress = std::make_unique<QProgressDialog>(this);
            progress->setObjectName(QStringLiteral("dlg_FillAllProgress"));
            progress->setWindowModality(Qt::WindowModal);
            progress->setCancelButtonText(Global::ResolveRes(401));
            progress->setRange(0, total);
            progress->setMinimumDuration(500);
        }
        progress->setLabelText(Global::ResolveRes(9393, {qMin(done + 1, total), total}));
        progress->setValue(done);
        QCoreApplication::processEvents();
        return !progress->wasCanceled();
    });
}
