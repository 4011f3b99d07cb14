// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as one mail message and as an mbox, imported into a job
// folder of their own. Besides crashes, leaks and hangs it checks that every
// message is accounted for once, and that the folder then holds exactly the
// event files imported, each of which reads back with both entry flags set:
// no half file, no temporary left beside them.
#include "QuietUiHost.h"
#include "datafiles/EventFile.h"
#include "linking/MailImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

struct Scratch
{
    Fuzzing::QuietUiHost host;
    // In memory where the system offers it: every import flushes the file
    // system, which costs nothing there.
    QTemporaryDir dir{QDir(QStringLiteral("/dev/shm")).exists()
                          ? QStringLiteral("/dev/shm/fuzz_mail_import-XXXXXX")
                          : QDir::tempPath() + QStringLiteral("/fuzz_mail_import-XXXXXX")};
    QString job = dir.filePath(QStringLiteral("Job [1]"));
    QString mbox = dir.filePath(QStringLiteral("inbox"));

    Scratch()
    {
        Platform::setUiHost(&host);
        qputenv("VANTIX_REGISTRY", QFile::encodeName(dir.filePath(QStringLiteral("reg.sqlite3"))));
        require(QDir().mkpath(job));
    }
};

// Checks the folder against the summary and empties it for the next input.
void checkFolder(const QString& job, int imported)
{
    const QStringList names = QDir(job).entryList(QDir::Files | QDir::Hidden | QDir::System);
    require(names.size() == imported);
    for (const QString& name : names) {
        const QString path = job + QLatin1Char('/') + name;
        require(name.startsWith(QLatin1String("EMI_")) && name.endsWith(QLatin1String(".emi")));
        const DataFiles::EventRecord record = FileOperations::ReadEvent(path, true);
        require(record.EntryFlagA == -1 && record.EntryFlagB == -1);
        require(QFile::remove(path));
    }
}

void import(const QString& job, const std::function<void(Linking::MailImporter&)>& run)
{
    Linking::MailImporter importer(job);
    qsizetype outcomes = 0;
    importer.onMessage = [&](const Linking::MailOutcome&) { ++outcomes; };
    run(importer);
    const Linking::MailImportSummary& summary = importer.summary();
    require(summary.imported + summary.existing + summary.refused.size() == outcomes);
    checkFolder(job, summary.imported);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "fuzz_mail_import";
        static char* argv[] = {name, nullptr};
        new QCoreApplication(argc, argv); // lives as long as the process
    }
    static Scratch scratch;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QDateTime arrival(QDate(2026, 12, 1), QTime(9, 30), Qt::UTC);
    import(scratch.job, [&](Linking::MailImporter& importer) {
        importer.importMessage(bytes, QStringLiteral("-"), arrival);
});

// The same bytes after an mbox separator: one message or several.
{
    QFile file(scratch.mbox);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("From web@example.org Tue Dec  1 09:30:00 2026\n");
    file.write(bytes);
}
    import(scratch.job,
           [&](Linking::MailImporter& importer) { importer.importSource(scratch.mbox);
    });
    return 0;
    }
