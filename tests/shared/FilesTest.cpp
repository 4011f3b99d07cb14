// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/Files.h"

#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "platform/RunTimeError.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Global;
using Platform::File;
using Platform::MsgAnswer;

namespace {

QString write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(Files, OpenFileRetriesThenAsksAndShowsDetailsAfterARetry)
{
    Testing::TestSettings settings;
    settings.set(QStringLiteral("Tweaks"), QStringLiteral("AccessAttempts"), QStringLiteral("2"));
    Testing::ScriptedUiHost host;
    const QString missing = settings.folder() + QStringLiteral("/missing.bin");

    host.expectBox(MsgAnswer::Retry, QStringLiteral("\"") + missing + QStringLiteral("\""));
    host.expectBox(MsgAnswer::Cancel, QStringLiteral("is 'File not found'"));
    const File file = OpenFile(missing, File::Binary | File::Read);
    EXPECT_FALSE(file.isOpen());
    // Two rounds of two attempts, a second after each.
    EXPECT_EQ(host.waitedMilliseconds, 4000);
    ASSERT_EQ(host.boxes.size(), 2);
    EXPECT_EQ(host.boxes[0].buttons, Platform::MsgButtons::RetryCancel);
    EXPECT_EQ(host.boxes[0].icon, Platform::MsgIcon::Information);
    EXPECT_FALSE(host.boxes[0].text.contains(u"The error which"));

    // Once retried, opens show the details for the rest of the run.
    host.expectBox(MsgAnswer::Cancel, QStringLiteral("The error which Vantix gives"));
    EXPECT_FALSE(OpenFile(missing, File::Binary | File::Read).isOpen());

    // A file that becomes free during the attempts opens without a question.
    const QString present = write(settings.folder() + QStringLiteral("/a.bin"), "abc");
    EXPECT_EQ(OpenFile(present, File::Binary | File::Read).readAt(2, 10), QByteArray("bc"));
}

TEST(Files, OpenFileOfALockedFileWaitsAccessAttemptsSeconds)
{
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    const QString path = write(settings.folder() + QStringLiteral("/index.bin"), "x");
    const File holder = File::open(path, File::Binary | File::Read | File::Write | File::Locked);
    host.expectBox(MsgAnswer::Cancel);
    EXPECT_FALSE(OpenFile(path, File::Binary | File::Read).isOpen());
    EXPECT_EQ(host.waitedMilliseconds, 4000);
}

TEST(Files, CopyFileReplacesTheTargetWhole)
{
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    const QString source =
        write(settings.folder() + QStringLiteral("/new.bin"), QByteArray(3'000'000, 'n'));
    const QString target = write(settings.folder() + QStringLiteral("/old.bin"), "old");
    // The target keeps its rights; a new one takes the source's.
    QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const QString fresh = settings.folder() + QStringLiteral("/fresh.bin");
    EXPECT_TRUE(CopyFile(source, target));
    EXPECT_TRUE(CopyFile(source, fresh));
    EXPECT_EQ(contents(target), contents(source));
    EXPECT_EQ(contents(fresh), contents(source));
    EXPECT_EQ(QFile::permissions(target), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                              QFile::WriteUser | QFile::ReadGroup);
    EXPECT_EQ(QFile::permissions(fresh), QFile::permissions(source));
    EXPECT_TRUE(CopyFile(source, source));
    EXPECT_EQ(QDir(settings.folder())
                  .entryList({QStringLiteral("*.bin*")}, QDir::Files | QDir::Hidden)
                  .size(),
              3)
        << "no temporary file left";
    EXPECT_EQ(host.pointer(), Platform::Pointer::Default);
    EXPECT_EQ(host.pointers.value(0), Platform::Pointer::ArrowHourglass);
}

TEST(Files, CopyFileOfALockedFileAsksAtOnce)
{
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    const QString source = write(settings.folder() + QStringLiteral("/locked.bin"), "new");
    const QString target = write(settings.folder() + QStringLiteral("/target.bin"), "old");
    {
        const File holder = File::open(source, File::Binary | File::Read | File::Locked);
        host.expectBox(MsgAnswer::Cancel, QStringLiteral("is locked by another user or program"));
        EXPECT_FALSE(CopyFile(source, target));
        EXPECT_EQ(host.waitedMilliseconds, 0);
        EXPECT_EQ(host.boxes.value(0).icon, Platform::MsgIcon::Exclamation);
    }
    {
        // The message names the file that is locked, here the target.
        const File holder = File::open(target, File::Binary | File::Write | File::Locked);
        host.expectBox(MsgAnswer::Cancel, QLatin1Char('"') + target + QLatin1Char('"'));
        EXPECT_FALSE(CopyFile(source, target));
    }
    EXPECT_EQ(contents(target), QByteArray("old"));
    EXPECT_EQ(host.pointer(), Platform::Pointer::Default);
}

TEST(Files, DeleteFileAndTheExistenceTests)
{
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    const QString path = write(settings.folder() + QStringLiteral("/gone.bin"), "x");
    EXPECT_TRUE(FileExists(path));
    EXPECT_TRUE(DeleteFile(path));
    EXPECT_FALSE(FileExists(path));
    EXPECT_TRUE(DeleteFile(path)) << "nothing to delete is no failure";

    EXPECT_FALSE(FileExists(QString()));
    EXPECT_FALSE(FileExists(settings.folder())) << "a folder is no file";
    EXPECT_TRUE(FolderExists(settings.folder()));
    EXPECT_FALSE(FolderExists(settings.folder() + QStringLiteral("/none")));
    EXPECT_FALSE(FolderExists(QString()));
}

TEST(Files, MakePathMakesEveryFolderAndReportsWhatItCannot)
{
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    QString deep = settings.folder() + QStringLiteral("/a/b [1]/c");
    EXPECT_TRUE(MakePath(deep));
    EXPECT_TRUE(FolderExists(deep));
    EXPECT_TRUE(MakePath(deep)) << "folders that exist already are fine";

    QString tooLong = settings.folder() + QLatin1Char('/') + QString(240, QLatin1Char('x'));
    EXPECT_FALSE(MakePath(tooLong, true));
    EXPECT_TRUE(host.boxes.isEmpty());

    const QString file = write(settings.folder() + QStringLiteral("/plain"), "x");
    host.expectBox(MsgAnswer::Ok, QStringLiteral("unable to create the folder:"));
    EXPECT_FALSE(MakePath(file + QStringLiteral("/sub"), true));
    EXPECT_EQ(host.boxes.value(0).title, QStringLiteral("Error"));
}

TEST(Files, BusyPointerAndPlacingAtTheCursor)
{
    Testing::ScriptedUiHost host;
    host.setPointer(Platform::Pointer::IBeam);
    {
        BusyPointerScope busy;
        EXPECT_EQ(host.pointer(), Platform::Pointer::ArrowHourglass);
        EXPECT_GE(host.eventRuns, 1);
    }
    EXPECT_EQ(host.pointer(), Platform::Pointer::IBeam);

    host.screen = QSize(1000, 800);
    host.mouse = QPoint(500, 400);
    EXPECT_EQ(PositionAtCursor(QSize(200, 100), 0), QPoint(400, 350));
    EXPECT_EQ(PositionAtCursor(QSize(200, 100), 1), QPoint(500, 400));
    EXPECT_EQ(PositionAtCursor(QSize(200, 100), 2), QPoint(400, 400));
    // Near the bottom-right corner the window keeps 500 twips from the edges.
    host.mouse = QPoint(990, 790);
    EXPECT_EQ(PositionAtCursor(QSize(200, 100), 1), QPoint(766, 666));
}
