// SPDX-License-Identifier: GPL-3.0-or-later
// Users search while another rebuilds the index: the rebuild replaces each
// index whole, so every search sees the old index whole, never half of one,
// and is never shut out. A rebuild that the user interrupts leaves the
// indexes as it found them; one killed outright leaves them whole but
// locked, and searches go on saying so. Searches while the outstanding index
// tasks are carried out are never shut out and see the old index or the new
// one.
#include "platform/File.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>

namespace {

struct Search
{
    QJsonArray rows;
    QJsonArray skipped;
    QString err;
};

class IndexConcurrency : public testing::Test
{
protected:
    QTemporaryDir dir;
    QString workspace = dir.filePath(QStringLiteral("demo"));

    // The task file of the test's own.
    QProcessEnvironment environment = [this] {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_STATE_HOME"), dir.filePath(QStringLiteral("state")));
        return e;
    }();

    QStringList withHive(const QStringList& args) const
    {
        return QStringList{QStringLiteral("--registry"),
                           workspace + QStringLiteral("/registry.sqlite3")} +
               args;
    }

    void makeDemo()
    {
        QProcess demo;
        demo.start(QStringLiteral(VANTIX_EXECUTABLE),
                   {QStringLiteral("demo"), workspace, QStringLiteral("--contacts"),
                    QStringLiteral("3000"), QStringLiteral("--emails"), QStringLiteral("0")});
        ASSERT_TRUE(demo.waitForFinished(300'000));
        ASSERT_EQ(demo.exitCode(), 0) << demo.readAllStandardError().toStdString();
    }

    Search search()
    {
        // Every telephone number of the demo holds the word 01632, 7946 or
        // 07700: the first fills a long chain in the TelNum index.
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VANTIX_EXECUTABLE),
                      withHive({QStringLiteral("index"), QStringLiteral("search"),
                                QStringLiteral("01632"), QStringLiteral("--json")}));
        EXPECT_TRUE(process.waitForFinished(120'000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        EXPECT_EQ(process.exitCode(), 0) << err.toStdString();
        QJsonParseError error;
        const QJsonObject result =
            QJsonDocument::fromJson(process.readAllStandardOutput(), &error).object();
        EXPECT_EQ(error.error, QJsonParseError::NoError);
        return {result[QStringLiteral("rows")].toArray(),
                result[QStringLiteral("skipped")].toArray(), err};
    }

    // Starts a rebuild and waits until it walks the filing tree; its
    // progress so far.
    QByteArray startWalking(QProcess& rebuild)
    {
        rebuild.setReadChannel(QProcess::StandardError);
        rebuild.start(QStringLiteral(VANTIX_EXECUTABLE),
                      withHive({QStringLiteral("index"), QStringLiteral("rebuild")}));
        EXPECT_TRUE(rebuild.waitForStarted());
        // Away from a terminal the progress comes a line every tenth; the
        // walk runs from 20% to 100%.
        const QRegularExpression walking(QStringLiteral("\\] +([3-9][0-9])%"));
        QByteArray progress;
        while (!walking.match(QString::fromLatin1(progress)).hasMatch() &&
               rebuild.waitForReadyRead(60'000))
            progress += rebuild.readAllStandardError();
        EXPECT_EQ(rebuild.state(), QProcess::Running) << progress.toStdString();
        return progress;
    }
};

} // namespace

TEST_F(IndexConcurrency, SearchesDuringARebuildSeeTheWholeOldIndex)
{
    makeDemo();

    const Search before = search();
    ASSERT_TRUE(before.skipped.isEmpty());
    ASSERT_GT(before.rows.size(), 100);

    QProcess rebuild;
    rebuild.setStandardOutputFile(QProcess::nullDevice());
    rebuild.setStandardErrorFile(QProcess::nullDevice());
    rebuild.start(QStringLiteral(VANTIX_EXECUTABLE),
                  withHive({QStringLiteral("index"), QStringLiteral("rebuild")}));
    ASSERT_TRUE(rebuild.waitForStarted());

    int searches = 0;
    QElapsedTimer clock;
    clock.start();
    // Bounded in time: a slow machine makes fewer searches, not a longer test.
    bool finished = false;
    while (!(finished = rebuild.waitForFinished(0)) && clock.elapsed() < 240'000) {
        const Search during = search();
        ++searches;
        EXPECT_TRUE(during.skipped.isEmpty()) << "search " << searches;
        EXPECT_TRUE(during.err.isEmpty()) << during.err.toStdString();
        EXPECT_EQ(during.rows, before.rows) << "search " << searches;
    }
    ASSERT_TRUE(finished || rebuild.waitForFinished(240'000));
    EXPECT_EQ(rebuild.exitCode(), 0);
    RecordProperty("searches", searches);
    std::printf("%d searches during the rebuild\n", searches);

    const Search after = search();
    EXPECT_TRUE(after.skipped.isEmpty());
    EXPECT_EQ(after.rows, before.rows);
}

// Ctrl-C or SIGTERM in the middle of the walk: the old files stay whole, and
// each flag as it was found (the Postcode index locked beforehand stays
// locked; the others stay free).
TEST_F(IndexConcurrency, ARebuildInterruptedBySignalsLeavesTheIndexesAsItFoundThem)
{
    makeDemo();
    const QString folder = workspace + QStringLiteral("/Index");
    QProcess lock;
    lock.start(QStringLiteral(VANTIX_EXECUTABLE),
               withHive({QStringLiteral("index"), QStringLiteral("lock"), QStringLiteral("2")}));
    ASSERT_TRUE(lock.waitForFinished(60'000));
    ASSERT_EQ(lock.exitCode(), 0);
    const auto snapshot = [&] {
        QStringList files;
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
            QFile file(folder + u'/' + name);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            files << name + u' ' + QString::fromLatin1(file.readAll().toHex());
        }
        return files;
    };
    const QStringList before = snapshot();
    ASSERT_EQ(before.size(), 4);

    for (const int signal : {SIGTERM, SIGINT}) {
        QProcess rebuild;
        QByteArray progress = startWalking(rebuild);
        ASSERT_EQ(rebuild.state(), QProcess::Running);
        ::kill(pid_t(rebuild.processId()), signal);
        ASSERT_TRUE(rebuild.waitForFinished(60'000));
        progress += rebuild.readAllStandardError();
        EXPECT_EQ(rebuild.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(rebuild.exitCode(), 1) << signal;
        EXPECT_TRUE(progress.contains("the index rebuild was stopped")) << progress.toStdString();
        EXPECT_EQ(snapshot(), before) << signal;
    }
}

// A rebuild killed outright leaves every index whole but locked for
// maintenance. Nobody holds the lock any more, so searches go on, each index
// with a line that says it was left locked, until a rebuild frees them; an
// index that a writer in place holds stays shut (914).
TEST_F(IndexConcurrency, AfterAKilledRebuildSearchesGoOnAndSayTheIndexesWereLeftLocked)
{
    makeDemo();
    const Search before = search();
    QProcess rebuild;
    startWalking(rebuild);
    ASSERT_EQ(rebuild.state(), QProcess::Running);
    ::kill(pid_t(rebuild.processId()), SIGKILL);
    ASSERT_TRUE(rebuild.waitForFinished(60'000));

    const Search left = search();
    EXPECT_TRUE(left.skipped.isEmpty());
    EXPECT_EQ(left.rows, before.rows);
    EXPECT_EQ(left.err.count(u"was left locked for maintenance"), 4) << left.err.toStdString();

    {
        const Platform::File writer =
            Platform::File::holdWritingInPlace(workspace + QStringLiteral("/Index/TelNum.bin"));
        const Search shut = search();
        ASSERT_EQ(shut.skipped.size(), 1);
        EXPECT_TRUE(shut.skipped[0][QStringLiteral("message")].toString().contains(
            u"The 'Phone/Fax/Email' index is undergoing maintenance"));
        EXPECT_EQ(shut.err.count(u"was left locked for maintenance"), 3);
    }

    QProcess again;
    again.start(QStringLiteral(VANTIX_EXECUTABLE),
                withHive({QStringLiteral("index"), QStringLiteral("rebuild")}));
    ASSERT_TRUE(again.waitForFinished(240'000));
    EXPECT_EQ(again.exitCode(), 0);
    const Search freed = search();
    EXPECT_TRUE(freed.err.isEmpty()) << freed.err.toStdString();
    EXPECT_EQ(freed.rows, before.rows);
}

TEST_F(IndexConcurrency, SearchesWhileTasksAreCarriedOutSeeTheOldIndexOrTheNew)
{
    makeDemo();
    const auto vantix = [&](const QStringList& args) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VANTIX_EXECUTABLE), withHive(args));
        EXPECT_TRUE(process.waitForFinished(120'000));
        EXPECT_EQ(process.exitCode(), 0)
            << args.join(u' ').toStdString() << process.readAllStandardError().toStdString();
    };
    vantix({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("Config"),
            QStringLiteral("IndexNewFoldersAtOnce"), QStringLiteral("0")});
    // New people whose numbers join the long chain that the search reads.
    for (int i = 0; i < 12; ++i)
        vantix({QStringLiteral("new-contact"), QStringLiteral("--name"),
                QStringLiteral("New Person %1").arg(i), QStringLiteral("--number"),
                QStringLiteral("01632 961 %1").arg(i, 3, 10, QLatin1Char('0'))});
    const Search before = search();
    ASSERT_TRUE(before.skipped.isEmpty());

    QProcess tasks;
    tasks.setProcessEnvironment(environment);
    tasks.setStandardOutputFile(QProcess::nullDevice());
    tasks.start(
        QStringLiteral(VANTIX_EXECUTABLE),
        withHive({QStringLiteral("index"), QStringLiteral("tasks"), QStringLiteral("run")}));
    ASSERT_TRUE(tasks.waitForStarted());
    std::vector<Search> during;
    bool finished = false;
    while (!(finished = tasks.waitForFinished(0)))
        during.push_back(search());
    ASSERT_TRUE(finished);
    EXPECT_EQ(tasks.exitCode(), 0) << tasks.readAllStandardError().toStdString();

    const Search after = search();
    EXPECT_TRUE(after.skipped.isEmpty());
    EXPECT_EQ(after.rows.size(), before.rows.size() + 12);
    for (std::size_t i = 0; i < during.size(); ++i) {
        EXPECT_TRUE(during[i].skipped.isEmpty()) << "search " << i;
        EXPECT_TRUE(during[i].rows == before.rows || during[i].rows == after.rows)
            << "search " << i;
    }
    std::printf("%zu searches while the tasks were carried out\n", during.size());
}
