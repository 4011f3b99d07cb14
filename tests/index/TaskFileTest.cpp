// SPDX-License-Identifier: GPL-3.0-or-later
#include "index/TaskFile.h"

#include "DataFileTesting.h"
#include "datafiles/DataFile.h"
#include "datafiles/FileInfoFile.h"
#include "datafiles/ProfileFile.h"
#include "index/FolderValues.h"
#include "index/Packing.h"
#include "platform/File.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <thread>

using namespace Indexing;

namespace {

// "Zux IndexTasks" and the version 0.005.
const QByteArray Header = Testing::hex("5a757820496e6465785461736b73 0ad7a33b");

class TaskFileTest : public Testing::DataFileTest
{
protected:
    void SetUp() override
    {
        setTaskFilePath(tasks());
        settings.set(QStringLiteral("Config\\Modes"), QStringLiteral("LastMode"),
                     QStringLiteral("Office"));
    }
    void TearDown() override { setTaskFilePath(QString()); }

    QString tasks() const { return path("taskfile.bin"); }
};

} // namespace

TEST_F(TaskFileTest, AMissingOrBadTaskFileIsMadeAnewWithItsHeaderOnly)
{
    QByteArray oldVersion = Header;
    oldVersion.replace(14, 4, Testing::hex("a69bc43b"));
    const struct
    {
        const char* what;
        QByteArray bytes;
    } bad[] = {
        {"another magic", QByteArray("Zux IndexTaskz") + Header.mid(14) + "tasks"},
        {"another version", oldVersion + "tasks"},
        {"cut short", Header.left(10)},
        {"empty", QByteArray()},
    };
    sub_CheckTaskFile();
    EXPECT_EQ(Testing::fileBytes(tasks()), Header) << "missing";
    for (const auto& c : bad) {
        Testing::writeBytes(tasks(), c.bytes);
        sub_CheckTaskFile();
        EXPECT_EQ(Testing::fileBytes(tasks()), Header) << c.what;
        EXPECT_EQ(taskFilePath(), tasks()) << c.what;
    }
    const QByteArray good = Header + "a task";
    Testing::writeBytes(tasks(), good);
    sub_CheckTaskFile();
    EXPECT_EQ(Testing::fileBytes(tasks()), good);
    EXPECT_TRUE(host.boxes.isEmpty());
}

// The task file is the user's own: in $XDG_STATE_HOME/vantix, else
// ~/.local/state/vantix (a relative XDG_STATE_HOME counts for nothing), found
// whatever its case.
TEST_F(TaskFileTest, TheDefaultTaskFileIsInTheUsersStateFolder)
{
    QTemporaryDir temp;
    const QString state = temp.filePath(QStringLiteral("state"));
    const QString home = temp.filePath(QStringLiteral("home"));
    const QString homeState = home + QStringLiteral("/.local/state/vantix");
    const struct
    {
        const char* xdgStateHome;
        QString folder;
        const char* existing;
    } cases[] = {
        {nullptr, homeState, nullptr},
        {"relative/state", homeState, nullptr},
        {"", state + QStringLiteral("/vantix"), nullptr},
        {"", state + QStringLiteral("/vantix"), "TaskFile.BIN"},
    };
    const QByteArray homeBefore = qgetenv("HOME");
    const QByteArray stateBefore = qgetenv("XDG_STATE_HOME");
    qputenv("HOME", QFile::encodeName(home));
    for (const auto& c : cases) {
        if (!c.xdgStateHome)
            qunsetenv("XDG_STATE_HOME");
        else
            qputenv("XDG_STATE_HOME",
                    *c.xdgStateHome ? QByteArray(c.xdgStateHome) : QFile::encodeName(state));
        const QString name = QLatin1String(c.existing ? c.existing : "taskfile.bin");
        if (c.existing) {
            QDir().mkpath(c.folder);
            Testing::writeBytes(c.folder + u'/' + name, Header + "a task");
        }
        setTaskFilePath(QString());
        sub_CheckTaskFile();
        EXPECT_EQ(taskFilePath(), c.folder + u'/' + name) << c.xdgStateHome;
        EXPECT_EQ(QDir(c.folder).entryList(QDir::Files), QStringList{name}) << c.xdgStateHome;
        EXPECT_TRUE(Testing::fileBytes(taskFilePath()).startsWith(Header)) << c.xdgStateHome;
        QDir(c.folder).removeRecursively();
    }
    qputenv("HOME", homeBefore);
    if (stateBefore.isNull())
        qunsetenv("XDG_STATE_HOME");
    else
        qputenv("XDG_STATE_HOME", stateBefore);
}

// Two programs appending at once (here two opens of the file on two
// threads) wait for each other: every record comes back whole, each
// program's in its order.
TEST_F(TaskFileTest, AppendsFromTwoOpensNeverMix)
{
    sub_CheckTaskFile();
    constexpr int Each = 300;
    const auto appendMany = [&](qint16 who) {
        for (int i = 0; i < Each; ++i) {
            IndexTask task;
            task.f1 = who;
            task.Ref = QString::number(i);
            task.Folder = QString(50 + i * 37 % 4000, QLatin1Char('a' + who));
            Platform::File file =
                Platform::File::open(tasks(), Platform::File::Binary | Platform::File::Write);
            appendTask(file, task);
        }
    };
    std::thread first(appendMany, 1);
    std::thread second(appendMany, 2);
    first.join();
    second.join();

    const QByteArray bytes = Testing::fileBytes(tasks());
    ASSERT_TRUE(bytes.startsWith(Header));
    int next[3] = {0, 0, 0};
    for (qint64 at = Header.size() + 1; at <= bytes.size();) {
        IndexTask task;
        const DataFiles::ReadResult read = DataFiles::readRecord(bytes, at, task);
        ASSERT_TRUE(read.complete) << at;
        ASSERT_TRUE(task.f1 == 1 || task.f1 == 2) << at;
        EXPECT_EQ(task.Ref, QString::number(next[task.f1])) << at;
        EXPECT_EQ(task.Folder, QString(50 + next[task.f1] * 37 % 4000, QLatin1Char('a' + task.f1)));
        ++next[task.f1];
        at = read.next;
    }
    EXPECT_EQ(next[1], Each);
    EXPECT_EQ(next[2], Each);
}

TEST_F(TaskFileTest, ANewFolderTaskIsAppendedWithTheModeAndFourEmptyValues)
{
    IndexTask task;
    task.f1 = 7;
    task.Action = 1;
    task.Ref = QStringLiteral("12-3");
    task.Kind = 2;
    task.Folder = QStringLiteral("/x");
    AddIndexTask(task);
    EXPECT_EQ(task.Mode, QStringLiteral("Office"));
    const QByteArray record = Testing::hex("0700 0100 0400 31322d33 0200 0600 4f6666696365"
                                           "0000 0000 0000 0000 0200 2f78");
    EXPECT_EQ(Testing::fileBytes(tasks()), Header + record);

    // A file that went away since it was checked comes back with its header.
    QFile::remove(tasks());
    AddIndexTask(task);
    AddIndexTask(task);
    EXPECT_EQ(Testing::fileBytes(tasks()), Header + record + record);
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(TaskFileTest, AGatheredFolderTaskCarriesTheFoldersValuesReferenceAndKind)
{
    const QString folder = path("Acme Ltd [12]");
    QDir().mkpath(folder);
    DataFiles::FileInfoRecord info;
    info.FolderID = DataFiles::FolderC;
    Routines_FileInfoFile::writeFileInfoRecord(folder + QStringLiteral("/FileInfo.inf"), info);
    DataFiles::ProfileRecord profile;
    profile.displayName = QStringLiteral("Acme Ltd");
    profile.setIndexFlag(true);
    profile.addresses[0].inUse = -1;
    profile.addresses[0].postcode = QStringLiteral("LS1 1AA");
    profile.UD1 = QStringLiteral("Gold");
    Routines_ProfileFile::writeProfile(folder + QStringLiteral("/Profile.pro"), profile);

    IndexTask task;
    task.Action = 2;
    task.Folder = folder;
    AddIndexTask(task);

    const FolderIndexValues gathered = gatherIndexValues(folder);
    EXPECT_EQ(task.Ref, QStringLiteral("12"));
    EXPECT_EQ(task.Kind, DataFiles::FolderC);
    EXPECT_EQ(task.Values, gathered.values);
    EXPECT_EQ(task.Values[PcodeIndex - 1], QStringLiteral("LS1 1AA"));
    EXPECT_EQ(task.Values[UD1Index - 1], QStringLiteral("Gold"));

    const QByteArray bytes = Testing::fileBytes(tasks());
    ASSERT_TRUE(bytes.startsWith(Header));
    IndexTask read;
    const DataFiles::ReadResult result = DataFiles::readRecord(bytes, Header.size() + 1, read);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.next, bytes.size() + 1);
    EXPECT_EQ(read, task);
}
