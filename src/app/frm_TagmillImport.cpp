// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's e-mail import: the File menu's command, e-mails dropped
// on the window, the progress while the import runs and the summary at its
// end. The import itself is Linking::MailImportRun's.
#include "frm_Tagmill.h"
#include "linking/MailImportRun.h"
#include "platform/UiHost.h"
#include "shared/Messages.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QProgressDialog>
#include <QUrl>

namespace {

namespace Str {
enum : int
{
    ImportDialog = 9431,
    NoJobFolder = 9432,
    Stop = 9434,
    Title = 9439,
};
}

// The progress shows only when an import takes longer than this.
constexpr int ProgressDelayMs = 500;

// The local files and folders of a drag when each is an e-mail source;
// nothing otherwise, so that the window does not take what it cannot import.
QStringList mailSourcesOf(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    QStringList sources;
    for (const QUrl& url : data->urls()) {
        const QString path = url.toLocalFile();
        if (path.isEmpty() || !Linking::isMailSource(path))
            return {};
        sources << path;
    }
    return sources;
}

// False, after saying that the e-mails go into the job folder, when none
// is chosen.
bool hasJobFolder(const QString& folder)
{
    if (!folder.isEmpty())
        return true;
    Global::showMessage(Str::NoJobFolder, {}, Platform::MsgButtons::Ok,
                        Platform::MsgIcon::Information, Global::Str::TitleNote);
    return false;
}

} // namespace

void frm_Tagmill::importMails()
{
    if (isBusy() || !hasJobFolder(folderPath()))
        return;
    const QStringList parts = Global::ResolveRes(Str::ImportDialog).split(QChar(0));
    Platform::FileRequest request;
    request.title = parts.value(0);
    request.defaultExtension = parts.value(1);
    request.filter = parts.value(2);
    request.folderMarks = {QStringLiteral("cur"), QStringLiteral("new")};
    const QStringList sources = Platform::uiHost().openFiles(request);
    if (!sources.isEmpty())
        importMailSources(sources);
}

bool frm_Tagmill::importMailSources(const QStringList& sources)
{
    if (isBusy() || sources.isEmpty() || !hasJobFolder(folderPath()) ||
        !m_mailImport->start(folderPath(), sources))
        return false;
    // The event queue does not run until the progress is in place: the run's
    // end, which takes it down, comes through the queue.
    Platform::UiHost& host = Platform::uiHost();
    m_pointerBeforeImport = host.pointer();
    host.setPointer(Platform::Pointer::ArrowHourglass);

    // Window-modal: the window stays drawn and answers, but takes no command
    // while its job folder is being filled. Shown only for a long import.
    auto* progress = new QProgressDialog(this);
    m_importProgress = progress;
    progress->setObjectName(QStringLiteral("dlg_ImportProgress"));
    progress->setWindowTitle(Global::ResolveRes(Str::Title));
    progress->setWindowModality(Qt::WindowModal);
    progress->setCancelButtonText(Global::ResolveRes(Str::Stop));
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setRange(0, 0);
    progress->setLabelText(m_mailImport->progressText());
    progress->setValue(0);
    progress->setMinimumDuration(ProgressDelayMs);
    connect(progress, &QProgressDialog::canceled, m_mailImport, &Linking::MailImportRun::stop);
    connect(m_mailImport, &Linking::MailImportRun::progressed, progress,
            [this, progress] { progress->setLabelText(m_mailImport->progressText()); });
    return true;
}

void frm_Tagmill::mailImportEnded()
{
    delete m_importProgress;
    Platform::uiHost().setPointer(m_pointerBeforeImport);
    // A close asked for meanwhile stopped the import: the window goes now.
    if (std::exchange(m_closeRequested, false)) {
        close();
        return;
    }
    if (folderPath() == m_mailImport->folder())
        sub_ScanJobFolder();
    Global::showText(m_mailImport->summaryText(), Platform::MsgButtons::Ok,
                     m_mailImport->summary().refused.isEmpty() ? Platform::MsgIcon::Information
                                                               : Platform::MsgIcon::Exclamation,
                     Global::ResolveRes(Str::Title));
}

void frm_Tagmill::dragEnterEvent(QDragEnterEvent* event)
{
    if (!isBusy() && !mailSourcesOf(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frm_Tagmill::dropEvent(QDropEvent* event)
{
    const QStringList sources = mailSourcesOf(event->mimeData());
    if (sources.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drop is done with: the source program waits for it, and the
    // import may begin with a message box.
    QMetaObject::invokeMethod(
        this, [this, sources] { importMailSources(sources); }, Qt::QueuedConnection);
}
