// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MailImport.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <mutex>

class QThread;

namespace Linking {

// Whether the e-mail import takes `path` as a source: an .eml file, an mbox
// (a file that begins with a "From " line) or a Maildir (a folder with "cur"
// or "new").
bool isMailSource(const QString& path);

// What an import into `folder` did, as the window tells it at the end: the
// counts, then each refused source with its reason (the first 20, then how
// many more), and whether it was stopped before the end.
QString mailImportSummaryText(const QString& folder, const MailImportSummary& summary,
                              bool stopped);

// One import of e-mails into a job folder, run on a worker thread so that
// the window stays live through a mailbox of thousands. Only the importer
// runs there; it asks nothing of the user. The run lives on the thread that
// made it, and its signals come there.
class MailImportRun : public QObject
{
    Q_OBJECT

public:
    explicit MailImportRun(QObject* parent = nullptr);
    // A run still going is stopped and waited for.
    ~MailImportRun() override;

    // Starts importing `sources` in turn into `jobFolder`; false while an
    // import is running.
    bool start(const QString& jobFolder, const QStringList& sources);
    // Asks the import to stop before its next message.
    void stop();

    bool isRunning() const { return m_running; }
    bool wasStopped() const { return m_stopped; }
    const QString& folder() const { return m_folder; }
    // The messages read so far and the source being read.
    int messagesRead() const;
    QString currentSource() const;
    // "Importing e-mails into ... 120 read so far, now from ...".
    QString progressText() const;
    // Complete once the run has finished.
    const MailImportSummary& summary() const { return m_summary; }
    QString summaryText() const;

signals:
    // The count or the source changed (not once a message, when they come
    // faster than they can be shown).
    void progressed();
    void finished();

private:
    void noteProgress(const QString& source, int read);
    void ended();

    QString m_folder;
    std::unique_ptr<MailImporter> m_importer;
    QThread* m_worker = nullptr;
    bool m_running = false;
    bool m_stopped = false;
    MailImportSummary m_summary;

    mutable std::mutex m_progressMutex;
    int m_read = 0;
    QString m_source;
    std::atomic<bool> m_progressPosted = false;
};

} // namespace Linking
