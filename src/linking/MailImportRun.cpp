// SPDX-License-Identifier: GPL-3.0-or-later
#include "MailImportRun.h"

#include "shared/Messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cstring>

namespace Linking {
namespace {

namespace Str {
enum : int
{
    Progress = 9433,
    Summary = 9435,
    RefusedLine = 9436,
    MoreRefused = 9437,
    Stopped = 9438,
};
}

// Refused sources named one by one in the summary; the rest are counted.
constexpr int RefusalsNamed = 20;

} // namespace

bool isMailSource(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QFileInfo(path + QStringLiteral("/cur")).isDir() ||
               QFileInfo(path + QStringLiteral("/new")).isDir();
    if (!info.isFile())
        return false;
    if (info.suffix().compare(QLatin1String("eml"), Qt::CaseInsensitive) == 0)
        return true;
    QFile file(path);
    char start[5] = {};
    return file.open(QIODevice::ReadOnly) && file.read(start, sizeof start) == sizeof start &&
           std::memcmp(start, "From ", sizeof start) == 0;
}

QString mailImportSummaryText(const QString& folder, const MailImportSummary& summary, bool stopped)
{
    const qsizetype refused = summary.refused.size();
    QString text =
        Global::ResolveRes(Str::Summary, {folder, summary.imported, summary.existing, refused});
    if (refused > 0)
        text += QStringLiteral("\r\n");
    for (qsizetype i = 0; i < qMin<qsizetype>(refused, RefusalsNamed); ++i)
        text += QStringLiteral("\r\n") +
                Global::ResolveRes(Str::RefusedLine,
                                   {summary.refused[i].source, summary.refused[i].why});
    if (refused > RefusalsNamed)
        text += QStringLiteral("\r\n") +
                Global::ResolveRes(Str::MoreRefused, {refused - RefusalsNamed});
    if (stopped)
        text += Global::ResolveRes(Str::Stopped);
    return text;
}

MailImportRun::MailImportRun(QObject* parent) : QObject(parent) {}

MailImportRun::~MailImportRun()
{
    if (m_worker) {
        stop();
        m_worker->wait();
        delete m_worker;
    }
}

bool MailImportRun::start(const QString& jobFolder, const QStringList& sources)
{
    if (m_running)
        return false;
    m_folder = jobFolder;
    m_summary = {};
    m_stopped = false;
    noteProgress(sources.value(0), 0);
    m_importer = std::make_unique<MailImporter>(jobFolder);
    m_worker = QThread::create([this, importer = m_importer.get(), sources] {
        // A message counts as read once it was parsed, before its batch
        // is written; the messages of a Maildir or an mbox are shown as the
        // source given, which is what the user chose.
        QString current;
        int read = 0;
        importer->onRead = [&] { noteProgress(current, ++read); };
        for (const QString& source : sources) {
            if (importer->stopRequested())
                break;
            current = source;
            noteProgress(current, read);
            importer->importSource(source);
        }
    });
    connect(m_worker, &QThread::finished, this, &MailImportRun::ended);
    m_running = true;
    m_worker->start();
    return true;
}

void MailImportRun::stop()
{
    if (m_running && m_importer)
        m_importer->requestStop();
}

void MailImportRun::noteProgress(const QString& source, int read)
{
    {
        const std::lock_guard lock(m_progressMutex);
        m_read = read;
        m_source = source;
    }
    // One notice waits at a time: a burst of messages is shown once.
    if (!m_progressPosted.exchange(true))
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_progressPosted = false;
                emit progressed();
            },
            Qt::QueuedConnection);
}

void MailImportRun::ended()
{
    m_worker->wait();
    delete std::exchange(m_worker, nullptr);
    m_summary = m_importer->summary();
    m_stopped = m_importer->stopRequested();
    m_importer.reset();
    m_running = false;
    emit finished();
}

int MailImportRun::messagesRead() const
{
    const std::lock_guard lock(m_progressMutex);
    return m_read;
}

QString MailImportRun::currentSource() const
{
    const std::lock_guard lock(m_progressMutex);
    return m_source;
}

QString MailImportRun::progressText() const
{
    const std::lock_guard lock(m_progressMutex);
    // The source by its name: the folder above is shown whole.
    return Global::ResolveRes(Str::Progress,
                              {m_folder, m_read, QFileInfo(QDir::cleanPath(m_source)).fileName()});
}

QString MailImportRun::summaryText() const
{
    return mailImportSummaryText(m_folder, m_summary, m_stopped);
}

} // namespace Linking
