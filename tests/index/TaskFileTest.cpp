// SPDX-License-Identifier: GPL-3.0-or-later
#include "index/TaskFile.h"

#include "DataFileTesting.h"
#include "datafiles/DataFile.h"
#include "datafiles/FileInfoFile.h"
#include "datafiles/ProfileFile.h"
#include "index/FolderValues.h"
#include "index/Packing.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

TEST_F(TaskFileTest, TheDefaultTaskFileIsFoundInTheTemporaryFolderWhateverItsCase)
{
    QTemporaryDir temp;
    const QByteArray before = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    const QString existing = temp.filePath(QStringLiteral("TaskFile.BIN"));
    Testing::writeBytes(existing, Header);
    setTaskFilePath(QString());
    sub_CheckTaskFile();
    EXPECT_EQ(taskFilePath(), existing);
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files),
              QStringList{QStringLiteral("TaskFile.BIN")});
    qputenv("TMPDIR", before);
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
