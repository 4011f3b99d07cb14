// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/File.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <vector>

// The mail library's message; only the importer's source file knows it whole.
struct _GMimeMessage;

// Form e-mails from a mailbox into a job folder: each message becomes one
// "E-Mails In" event file, as the suite files the e-mails it receives.
namespace Linking {

// What became of one message.
struct MailOutcome
{
    enum Kind
    {
        Imported, // a new event file was written
        Existing, // the job folder holds its event file already
        Refused   // nothing was written; `why` says why
    };
    Kind kind = Refused;
    QString source;  // the file, or "MBOX#N" for the Nth message of an mbox
    QString file;    // the event file's name in the job folder (not when refused)
    QString subject; // the decoded subject
    QString why;
};

struct MailRefusal
{
    QString source;
    QString why;
};

struct MailImportSummary
{
    int imported = 0;
    int existing = 0;
    QList<MailRefusal> refused;
};

struct MailText;
struct MailWrite;

// Imports into one job folder. A message is recognised by a hash of its
// Message-ID (of the whole message where it has none) that its file's name
// carries, so that importing the same mailbox again writes nothing new.
class MailImporter
{
public:
    explicit MailImporter(const QString& jobFolder);
    ~MailImporter();

    // Called once a message, after it was imported, found or refused, in
    // the messages' order; on the caller's thread, a batch of files at a
    // time as they are written.
    std::function<void(const MailOutcome&)> onMessage;
    // Called once a message as soon as it is read, before its file is
    // written: outcomes wait for their batch, this does not.
    std::function<void()> onRead;

    // An .eml file, a Maildir (its "cur" and "new") or an mbox file.
    void importSource(const QString& source);
    // One message whole (stdin); `arrival` stands for a missing Date.
    void importMessage(const QByteArray& bytes, const QString& source, const QDateTime& arrival);

    const MailImportSummary& summary() const { return m_summary; }

    // Asks the import to stop before its next message: the batch being
    // written is finished, and the messages read but not yet being written
    // are let go. Every message filed stays whole. Safe from any thread.
    void requestStop() { m_stop = true; }
    bool stopRequested() const { return m_stop; }

private:
    void importFile(const QString& path);
    void importMaildir(const QString& path);
    // A message as the parser gave it (nothing for none), not from an mbox.
    void importOne(_GMimeMessage* message, const QDateTime& arrival, const QString& source);
    void file(const MailText& mail, const QDateTime& arrival, const QString& source);
    void refuse(const QString& source, const QString& why);
    // Tells an outcome now, or once the outcomes before it are told.
    void report(const MailOutcome& outcome);
    void tell(const MailOutcome& outcome);
    // Hands the files held so far to the writer, once the batch before has
    // been written and its messages told.
    void startWriting();
    // Waits for the batch being written and tells its messages' outcomes.
    void finishWriting();
    // Writes every file held and tells every outcome.
    void commit();

    // A message's outcome that waits for its file: its hash, and whether
    // it has a file in the batch.
    struct Held
    {
        MailOutcome outcome;
        QString hash;
        bool written = false;
    };

    QString m_folder;
    QSet<QString> m_hashes; // those of the event files in the folder and the batches
    std::unique_ptr<Platform::NewFileBatch> m_batch;
    std::vector<MailWrite> m_writes; // the next batch's files
    qint64 m_writeBytes = 0;
    QList<Held> m_held;        // the outcomes after those being written, in order
    QList<Held> m_heldWriting; // the outcomes of the batch being written
    std::future<std::vector<Platform::NewFileBatch::Result>> m_writing;
    MailImportSummary m_summary;
    std::atomic<bool> m_stop = false;
};

// The event file's name of a message: "EMI_", its time (UTC), "_" and the
// hash of its key.
QString mailEventFileName(const QDateTime& time, const QByteArray& key);
// The body as the suite's rich text: TXTtoRTF of the lines within the
// suite's document text, characters that Windows-1252 lacks as Unicode
// words. Lines that would take the text past what an event file holds are
// left off; `cut` says whether any were.
QString mailBodyRtf(const QString& text, bool* cut = nullptr);
// The readable lines of an HTML body: a line a break, paragraph, row or
// list item, blanks collapsed as a browser shows them, then HTMLtoTXT.
QString htmlMailText(const QString& html);

} // namespace Linking
