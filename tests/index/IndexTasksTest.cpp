// SPDX-License-Identifier: GPL-3.0-or-later
#include "index/IndexTasks.h"

#include "DataFileTesting.h"
#include "datafiles/DataFile.h"
#include "datafiles/FileInfoFile.h"
#include "datafiles/ProfileFile.h"
#include "index/Build.h"
#include "index/IndexFile.h"
#include "index/OpenIndex.h"
#include "index/Packing.h"
#include "index/Search.h"
#include "index/Verify.h"
#include "platform/File.h"
#include "platform/RunTimeError.h"
#include "shared/Paths.h"

#include <QDir>

#include <cstdio>

using namespace Indexing;
using DataFiles::ProfileRecord;

namespace {

// A filing tree of the mode "Test" with one private person, indexed, and a
// task file of its own.
class IndexTasks : public Testing::DataFileTest
{
protected:
    void SetUp() override
    {
        settings.useTestMode({{"FilingFolder", filing()}});
        QDir().mkpath(indexes());
        setIndexFolder(indexes());
        setTaskFilePath(path("taskfile.bin"));
        folder(QStringLiteral("Brown, Ann [1]"), DataFiles::FolderF, QStringLiteral("Ann Brown"),
               QStringLiteral("YO1 7HH"));
        ASSERT_TRUE(RebuildIndexFile({}, {1, 2, 3, 4}));
        sub_CheckTaskFile();
    }
    void TearDown() override
    {
        setIndexFolder(QString());
        setTaskFilePath(QString());
        Global::GetDataFolder(QString(), true);
    }

    QString filing() const { return path("Filing"); }
    QString indexes() const { return path("Index"); }

    QString folder(const QString& name, qint16 kind, const QString& displayName,
                   const QString& postcode)
    {
        const QString at = filing() + u'/' + name;
        QDir().mkpath(at);
        DataFiles::FileInfoRecord info;
        info.FolderID = kind;
        Routines_FileInfoFile::writeFileInfoRecord(at + QStringLiteral("/FileInfo.inf"), info);
        ProfileRecord profile;
        profile.kind = kind;
        profile.displayName = displayName;
        profile.addresses[0].inUse = -1;
        profile.addresses[0].postcode = postcode;
        profile.contacts[0].setInUse(true);
        profile.contacts[0].number = QStringLiteral("0113 496 ") + postcode.right(3);
        profile.UD1 = displayName.left(3).toUpper() + QStringLiteral("0001");
        profile.setIndexFlag(true);
        Routines_ProfileFile::writeProfile(at + QStringLiteral("/Profile.pro"), profile);
        return at;
    }

    void queue(const QString& folder, const QString& ref, const QString& mode = QString())
    {
        if (!mode.isEmpty())
            settings.set(QStringLiteral("Config\\Modes"), QStringLiteral("LastMode"), mode);
        IndexTask task;
        task.Action = 1;
        task.Ref = ref;
        task.Kind = DataFiles::FolderF;
        task.Folder = folder;
        ASSERT_TRUE(AddIndexTask(task));
        settings.set(QStringLiteral("Config\\Modes"), QStringLiteral("LastMode"),
                     QStringLiteral("Test"));
    }

    // The references that a search of one index finds.
    QStringList found(const QString& clue, qint16 index)
    {
        ResultsList list;
        SearchRequest request;
        request.Fields = {index};
        request.Clue = clue;
        request.ResultsList = &list;
        request.HitLimit = -1;
        Find(request);
        EXPECT_TRUE(request.skipped.isEmpty()) << clue.toStdString();
        QStringList refs;
        for (int i = 0; i < list.count(); ++i)
            refs << list.row(i).data.section(QChar(1), -1);
        return refs;
    }

    QList<QByteArray> rawIndexes() const
    {
        QList<QByteArray> files;
        for (int n = NameIndex; n <= UD1Index; ++n)
            files << Testing::fileBytes(indexPath(indexes(), n));
        return files;
    }

    QStringList indexBytes() const
    {
        QStringList files;
        for (int n = NameIndex; n <= UD1Index; ++n)
            files << QString::fromLatin1(Testing::fileBytes(indexPath(indexes(), n)).toHex());
        return files;
    }
};

} // namespace

TEST_F(IndexTasks, TheTasksOfThisModeAreIndexedAndLeaveTheFileAndOthersWait)
{
    const QString acme = folder(QStringLiteral("Acme Ltd [2]"), DataFiles::FolderF,
                                QStringLiteral("Acme Ltd"), QStringLiteral("LS1 0NG"));
    const QString gone = filing() + QStringLiteral("/Gone [3]");
    const QString later = folder(QStringLiteral("Later [4]"), DataFiles::FolderF,
                                 QStringLiteral("Later Ltd"), QStringLiteral("HG1 2AB"));
    queue(acme, QStringLiteral("2"));
    queue(gone, QStringLiteral("3"));
    queue(later, QStringLiteral("4"), QStringLiteral("Home"));
    ASSERT_EQ(outstandingTasks().tasks.size(), 3u);

    const TaskRunReport report = RunIndexTasks();
    EXPECT_EQ(report.done, 1);
    EXPECT_EQ(report.dropped, 1);
    EXPECT_EQ(report.otherModes, 1);
    EXPECT_FALSE(report.busy || report.failed);
    ASSERT_EQ(report.lines.size(), 1);
    EXPECT_TRUE(report.lines[0].contains(gone));
    EXPECT_TRUE(host.boxes.isEmpty());

    // Found in all four indexes, and the indexes stay free.
    EXPECT_EQ(found(QStringLiteral("Acme"), NameIndex), QStringList{QStringLiteral("2")});
    EXPECT_EQ(found(QStringLiteral("LS1 0NG"), PcodeIndex), QStringList{QStringLiteral("2")});
    EXPECT_EQ(found(QStringLiteral("0113 496 0NG"), TelNumIndex), QStringList{QStringLiteral("2")});
    EXPECT_EQ(found(QStringLiteral("ACM0001"), UD1Index), QStringList{QStringLiteral("2")});
    EXPECT_EQ(found(QStringLiteral("Brown"), NameIndex), QStringList{QStringLiteral("1")});
    EXPECT_TRUE(found(QStringLiteral("Later"), NameIndex).isEmpty());
    for (int n = NameIndex; n <= UD1Index; ++n) {
        Platform::File file = Platform::File::open(indexPath(indexes(), n),
                                                   Platform::File::Binary | Platform::File::Read);
        EXPECT_EQ(readIndexFlag(file), qint16(0)) << n;
    }

    // Only the other mode's task is left; a second run has nothing to add.
    const TaskList left = outstandingTasks();
    ASSERT_EQ(left.tasks.size(), 1u);
    EXPECT_EQ(left.tasks[0].Mode, QStringLiteral("Home"));
    EXPECT_EQ(left.tasks[0].Folder, later);
    const QStringList before = indexBytes();
    const TaskRunReport again = RunIndexTasks();
    EXPECT_EQ(again.done, 0);
    EXPECT_EQ(again.otherModes, 1);
    EXPECT_EQ(indexBytes(), before);
}

TEST_F(IndexTasks, IndexesInUseLeaveTheTasksAndTheIndexesAsTheyWere)
{
    queue(folder(QStringLiteral("Acme Ltd [2]"), DataFiles::FolderF, QStringLiteral("Acme Ltd"),
                 QStringLiteral("LS1 0NG")),
          QStringLiteral("2"));
    const QByteArray tasks = Testing::fileBytes(path("taskfile.bin"));
    const QStringList before = indexBytes();
    const QString telNum = indexPath(indexes(), TelNumIndex);
    for (const char* state : {"claimed by a rebuild", "locked for maintenance"}) {
        std::optional<Platform::File> claim;
        if (state[0] == 'c')
            claim = Platform::File::claim(telNum);
        else
            sub_LockForMaintenance(telNum, MaintenanceFlag);
        const QStringList held = indexBytes();
        const TaskRunReport report = RunIndexTasks();
        EXPECT_TRUE(report.busy) << state;
        EXPECT_EQ(report.done, 0) << state;
        EXPECT_EQ(report.lines.size(), 1) << state;
        EXPECT_EQ(Testing::fileBytes(path("taskfile.bin")), tasks) << state;
        EXPECT_EQ(indexBytes(), held) << state;
        claim.reset();
        sub_LockForMaintenance(telNum, 0);
    }
    EXPECT_EQ(indexBytes(), before);
    EXPECT_EQ(RunIndexTasks().done, 1);
}

// The task file holds Windows-1252: a folder whose path holds other
// characters comes back with "?" in their places. The task's reference
// finds it in the filing tree; a task is dropped only when that finds no
// folder either.
TEST_F(IndexTasks, AFolderThatTheStoredPathDoesNotNameIsFoundByItsReference)
{
    const QString zofia = folder(QStringLiteral("Zofia \u0141ukasiewicz [5]"), DataFiles::FolderF,
                                 QStringLiteral("Zofia Lukasiewicz"), QStringLiteral("KT1 1AA"));
    queue(zofia, QStringLiteral("5"));
    queue(filing() + QStringLiteral("/Gone [6]"), QStringLiteral("6"));
    ASSERT_EQ(outstandingTasks().tasks[0].Folder,
              filing() + QStringLiteral("/Zofia ?ukasiewicz [5]"));

    const TaskRunReport report = RunIndexTasks();
    EXPECT_EQ(report.done, 1);
    EXPECT_EQ(report.refsDone, QStringList{QStringLiteral("5")});
    EXPECT_EQ(report.dropped, 1);
    ASSERT_EQ(report.lines.size(), 1);
    EXPECT_TRUE(report.lines[0].contains(u"Gone [6]"));
    EXPECT_EQ(found(QStringLiteral("Zofia"), NameIndex), QStringList{QStringLiteral("5")});
    EXPECT_TRUE(outstandingTasks().tasks.empty());
}

// A task carried out twice leaves one set of its folder's entries: after a
// run that failed part way (the Name index replaced, the others not), and
// when a rebuild has indexed the folder since the task was queued.
TEST_F(IndexTasks, ATaskCarriedOutTwiceLeavesOneSetOfEntries)
{
    queue(folder(QStringLiteral("Acme Ltd [2]"), DataFiles::FolderF, QStringLiteral("Acme Ltd"),
                 QStringLiteral("LS1 0NG")),
          QStringLiteral("2"));
    const QList<QByteArray> start = rawIndexes();
    const QByteArray queued = Testing::fileBytes(path("taskfile.bin"));

    Platform::File::setFaultHook([](const QString& file, Platform::File::Operation operation) {
        return operation == Platform::File::Operation::Open && file.contains(u"/.Pcode.bin.")
                   ? Platform::RunTimeError::DiskFull
                   : 0;
    });
    host.expectBox(Platform::MsgAnswer::Ok,
                   QStringLiteral("The file\r\n\"%1\"\r\ncould not be written: its disk is "
                                  "full.\r\n\r\nFree some space on that disk, then try again.")
                       .arg(indexPath(indexes(), PcodeIndex)));
    EXPECT_TRUE(RunIndexTasks().failed);
    Platform::File::setFaultHook({});
    ASSERT_NE(rawIndexes()[0], start[0]);
    ASSERT_EQ(rawIndexes()[1], start[1]);
    EXPECT_EQ(RunIndexTasks().done, 1);
    const QList<QByteArray> afterFailure = rawIndexes();

    // The same task carried out once, from the same start.
    for (int n = NameIndex; n <= UD1Index; ++n)
        Testing::writeBytes(indexPath(indexes(), n), start[n - 1]);
    Testing::writeBytes(path("taskfile.bin"), queued);
    EXPECT_EQ(RunIndexTasks().done, 1);
    EXPECT_TRUE(rawIndexes() == afterFailure);

    const QString later = folder(QStringLiteral("Later [3]"), DataFiles::FolderF,
                                 QStringLiteral("Later Ltd"), QStringLiteral("HG1 2AB"));
    queue(later, QStringLiteral("3"));
    ASSERT_TRUE(RebuildIndexFile({}, {1, 2, 3, 4}));
    const QList<QByteArray> rebuilt = rawIndexes();
    EXPECT_EQ(RunIndexTasks().done, 1);
    for (int n = NameIndex; n <= UD1Index; ++n) {
        const IndexSummary once = summarizeIndex(BytesSource(rebuilt[n - 1]));
        const QByteArray now = rawIndexes()[n - 1];
        const IndexSummary again = summarizeIndex(BytesSource(now));
        EXPECT_TRUE(again.damage.isEmpty()) << n;
        EXPECT_EQ(again.entries, once.entries) << n;
        EXPECT_EQ(now.size(), rebuilt[n - 1].size()) << n;
    }
}

// A user who opened the task file to append just as it was replaced (the
// sharing rules keep the two apart, but for the moment between the open and
// the taking of its locks) appends to the new file, not to the one it
// replaced.
TEST_F(IndexTasks, AnAppendAfterTheTaskFileWasReplacedGoesToTheNewFile)
{
    Platform::File appender =
        Platform::File::open(path("taskfile.bin"), Platform::File::Binary | Platform::File::Write);
    Testing::writeBytes(path("new.bin"), DataFiles::headerBytes(IndexTaskFileKind));
    ASSERT_EQ(std::rename(QFile::encodeName(path("new.bin")).constData(),
                          QFile::encodeName(path("taskfile.bin")).constData()),
              0);
    IndexTask task;
    task.Action = 1;
    task.Ref = QStringLiteral("9");
    appendTask(appender, task);
    const TaskList list = outstandingTasks();
    ASSERT_EQ(list.tasks.size(), 1u);
    EXPECT_EQ(list.tasks[0].Ref, QStringLiteral("9"));
}
