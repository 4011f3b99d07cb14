// SPDX-License-Identifier: GPL-3.0-or-later
#include "linking/MailImportRun.h"

#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "datafiles/EventFile.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace Linking;

QByteArray message(int number)
{
    return QStringLiteral("From: web@example.org\n"
                          "Subject: Website Enquiry\n"
                          "Date: Tue, 01 Dec 2026 09:30:00 +0000\n"
                          "Message-ID: <run-%1@example.org>\n"
                          "\n"
                          "Name = Sender %1\n")
        .arg(number)
        .toUtf8();
}

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray mbox(int count)
{
    QByteArray out;
    for (int i = 1; i <= count; ++i)
        out += "From web@example.org Tue Dec  1 09:30:00 2026\n" + message(i) + "\n";
    return out;
}

class ImportRun : public testing::Test
{
protected:
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    QString folder = settings.folder() + QStringLiteral("/Job");

    ImportRun() { QDir().mkpath(folder); }

    QString source(const QString& name, const QByteArray& content)
    {
        const QString path = settings.folder() + QLatin1Char('/') + name;
        writeFile(path, content);
        return path;
    }

    QStringList eventFiles() const
    {
        return Platform::listEntries(folder, u"*.emi", Platform::EntryKind::Files);
    }

    // Every event file of the folder reads back as a whole form e-mail.
    void expectWholeFiles() const
    {
        for (const QString& name : eventFiles()) {
            const DataFiles::EventRecord record =
                FileOperations::ReadEvent(folder + QLatin1Char('/') + name, true);
            EXPECT_EQ(record.EntryFlagA, -1) << name.toStdString();
            EXPECT_EQ(record.Subject, QStringLiteral("Website Enquiry")) << name.toStdString();
        }
    }

    static void waitForEnd(MailImportRun& run)
    {
        if (!run.isRunning())
            return;
        QEventLoop loop;
        QObject::connect(&run, &MailImportRun::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        ASSERT_FALSE(run.isRunning());
    }
};

} // namespace

TEST(MailSource, IsAnEmlFileAnMboxOrAMaildir)
{
    Testing::TestSettings settings;
    const QString base = settings.folder();
    const auto write = [&](const QString& name, const QByteArray& content) {
        writeFile(base + QLatin1Char('/') + name, content);
    };
    write(QStringLiteral("saved.EML"), "anything");
    write(QStringLiteral("Inbox"), "From someone Tue Dec  1 09:30:00 2026\n");
    write(QStringLiteral("page.htm"), "<html>");
    write(QStringLiteral("short"), "From");
    QDir(base).mkpath(QStringLiteral("Maildir/new"));
    QDir(base).mkpath(QStringLiteral("Plain folder"));
    const struct
    {
        const char* name;
        bool source;
    } cases[] = {{"saved.EML", true},   {"Inbox", true},  {"Maildir", true},
                 {"page.htm", false},   {"short", false}, {"Plain folder", false},
                 {"missing.eml", false}};
    for (const auto& c : cases)
        EXPECT_EQ(isMailSource(base + QLatin1Char('/') + QLatin1String(c.name)), c.source)
            << c.name;
}

TEST_F(ImportRun, FilesEveryMessageOnAWorkerAndSumsUpAtTheEnd)
{
    const QString box = source(QStringLiteral("Inbox"), mbox(3));
    const QString junk = source(QStringLiteral("notes.eml"), QByteArray());
    MailImportRun run;
    int notices = 0;
    QObject::connect(&run, &MailImportRun::progressed, [&] { ++notices; });
    ASSERT_TRUE(run.start(folder, {box, junk}));
    EXPECT_FALSE(run.start(folder, {box})) << "one import at a time";
    waitForEnd(run);

    EXPECT_GT(notices, 0);
    EXPECT_EQ(run.messagesRead(), 4);
    EXPECT_EQ(run.currentSource(), junk);
    EXPECT_EQ(run.summary().imported, 3);
    ASSERT_EQ(run.summary().refused.size(), 1);
    EXPECT_EQ(run.summary().refused[0].source, junk);
    EXPECT_FALSE(run.wasStopped());
    EXPECT_EQ(eventFiles().size(), 3);
    expectWholeFiles();
    EXPECT_EQ(run.summaryText(), QStringLiteral("E-mails imported into\r\n\"%1\":\r\n\r\n"
                                                "3 imported\r\n0 there already\r\n1 refused\r\n"
                                                "\r\n%2: it is not a mail message")
                                     .arg(folder, junk));

    // The same mailbox again: the run starts afresh and finds them all.
    ASSERT_TRUE(run.start(folder, {box}));
    waitForEnd(run);
    EXPECT_EQ(run.summary().imported, 0);
    EXPECT_EQ(run.summary().existing, 3);
    EXPECT_TRUE(run.summary().refused.isEmpty());
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(ImportRun, StopEndsBetweenMessagesAndKeepsEachFiledOneWhole)
{
    // Deterministically, at the importer: a stop after the second message
    // is read lets go of the messages not yet being written, leaves no
    // temporary file, and a later import files them all.
    const QString box = source(QStringLiteral("Inbox"), mbox(5));
    const QString later = source(QStringLiteral("later.eml"), message(9));
    MailImporter importer(folder);
    int read = 0;
    importer.onRead = [&] {
        if (++read == 2)
            importer.requestStop();
    };
    importer.importSource(box);
    importer.importSource(later);
    EXPECT_EQ(read, 2);
    EXPECT_EQ(importer.summary().imported, 0);
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
    MailImporter again(folder);
    again.importSource(box);
    EXPECT_EQ(again.summary().imported, 5);
    EXPECT_EQ(eventFiles().size(), 5);
    expectWholeFiles();

    // A run stopped at once: whatever was filed until then is whole and
    // counted, and the summary says that it was stopped.
    MailImportRun run;
    ASSERT_TRUE(run.start(folder, {source(QStringLiteral("Big"), mbox(200))}));
    run.stop();
    waitForEnd(run);
    EXPECT_TRUE(run.wasStopped());
    EXPECT_LT(run.summary().imported, 200);
    EXPECT_EQ(eventFiles().size(), 5 + run.summary().imported);
    expectWholeFiles();
    EXPECT_TRUE(run.summaryText().endsWith(
        QStringLiteral("The import was stopped: every e-mail filed until then is kept whole.")));
}

TEST(MailImportSummaryText, NamesTheFirstTwentyRefusalsAndCountsTheRest)
{
    Testing::TestSettings settings;
    MailImportSummary summary;
    summary.imported = 1;
    for (int i = 1; i <= 23; ++i)
        summary.refused.append({QStringLiteral("box#%1").arg(i), QStringLiteral("why")});
    const QStringList lines =
        mailImportSummaryText(QStringLiteral("/job"), summary, false).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.value(5), QStringLiteral("23 refused"));
    EXPECT_EQ(lines.value(7), QStringLiteral("box#1: why"));
    EXPECT_EQ(lines.value(26), QStringLiteral("box#20: why"));
    EXPECT_EQ(lines.value(27), QStringLiteral("… and 3 more"));
    EXPECT_EQ(lines.size(), 28);
}
