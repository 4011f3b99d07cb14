// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/File.h"

#include "platform/FileSystem.h"
#include "platform/RunTimeError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using Platform::File;
using Platform::RunTimeError;

namespace {

int errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const RunTimeError& error) {
        return error.number();
    }
    return 0;
}

void touch(const QString& path, const QByteArray& bytes = QByteArray())
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(File, ReadsAndWritesAtOneBasedPositions)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.bin"));
    {
        File file = File::open(path, File::Binary | File::Read | File::Write);
        file.writeAt(1, "Zux Event");
        file.writeAt(12, "!!");
        EXPECT_EQ(file.size(), 13);
        EXPECT_EQ(file.readAt(1, 3), QByteArray("Zux"));
        EXPECT_EQ(file.readAt(10, 4), QByteArray("\0\0!!", 4)) << "a gap reads as zeros";
        EXPECT_EQ(file.readAt(12, 100), QByteArray("!!")) << "short at the end";
        EXPECT_EQ(file.readAt(14, 5), QByteArray()) << "nothing past the end";
        file.append("?");
        EXPECT_EQ(file.size(), 14);
    }
    // A binary write keeps what is there; a text write starts empty.
    File::open(path, File::Binary | File::Write).writeAt(1, "z");
    EXPECT_EQ(File::open(path, File::Binary | File::Read).readAt(1, 3), QByteArray("zux"));
    File::open(path, File::Text | File::Write).close();
    EXPECT_EQ(File::open(path, File::Binary | File::Read).size(), 0);
}

TEST(File, OpenFaultsHaveTheirClassicNumbers)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("none.bin"));
    EXPECT_EQ(errorOf([&] { File::open(missing, File::Binary | File::Read); }),
              RunTimeError::FileNotFound);
    EXPECT_EQ(errorOf([&] {
                  File::open(dir.filePath(QStringLiteral("no/such.bin")),
                             File::Binary | File::Write);
              }),
              RunTimeError::PathNotFound);
    EXPECT_EQ(errorOf([&] { File::open(dir.path(), File::Binary | File::Read); }),
              RunTimeError::PathFileAccessError);
    EXPECT_EQ(errorOf([&] { File::open(missing, File::Binary | File::Text | File::Read); }),
              RunTimeError::BadFileMode);
    EXPECT_EQ(errorOf([&] { File::open(missing, File::Binary); }), RunTimeError::BadFileMode);
    EXPECT_EQ(errorOf([&] { File::open(QString(), File::Binary | File::Read); }),
              RunTimeError::BadFileNameOrNumber);
    File readOnly = File::open(dir.filePath(QStringLiteral("r.bin")), File::Binary | File::Write);
    readOnly.close();
    readOnly = File::open(dir.filePath(QStringLiteral("r.bin")), File::Binary | File::Read);
    EXPECT_EQ(errorOf([&] { readOnly.writeAt(1, "x"); }), RunTimeError::BadFileMode);
}

// Each pair: the mode an open holds, the mode another open asks for, and
// whether the suite's sharing rules let it in.
TEST(File, SharingRulesOfTheLockedModes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shared.bin"));
    touch(path, "x");
    struct Case
    {
        int held;
        int asked;
        bool allowed;
    };
    const Case cases[] = {
        {5, 5, true},   {5, 13, true},  {13, 9, true},   {5, 21, false},
        {5, 29, false}, {21, 5, false}, {21, 9, true},   {22, 6, false},
        {25, 5, true},  {25, 9, false}, {9, 25, false},  {26, 13, false},
        {29, 5, false}, {29, 9, false}, {13, 29, false}, {21, 25, true},
    };
    for (const Case& c : cases) {
        const File holder = File::open(path, c.held);
        const int error = errorOf([&] { File::open(path, c.asked).close(); });
        EXPECT_EQ(error, c.allowed ? 0 : int(RunTimeError::PermissionDenied))
            << c.held << " then " << c.asked;
    }
    // Closing the holder frees the file.
    {
        const File holder = File::open(path, 29);
    }
    EXPECT_EQ(errorOf([&] { File::open(path, 29).close(); }), 0);
}

TEST(File, FaultHookStandsInForAFailingDevice)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("disk.bin"));
    File::setFaultHook([&](const QString& p, File::Operation op) {
        return p == path && op == File::Operation::Write ? int(RunTimeError::DiskFull) : 0;
    });
    File file = File::open(path, File::Binary | File::Write);
    EXPECT_EQ(errorOf([&] { file.writeAt(1, "x"); }), RunTimeError::DiskFull);
    File::setFaultHook(nullptr);
    file.writeAt(1, "x");
    EXPECT_EQ(file.size(), 1);
}

TEST(FileSystem, WildcardsIgnoreCaseAndTakeBracketsLiterally)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"EMI_0001.emi", "*.emi", true},
        {"mail.EMI", "*.emi", true},
        {"mail.emil", "*.emi", false},
        {"Acme [12]", "*[12]", true},
        {"Acme 1", "*[12]", false},
        {"x[12]", "?[12]", true},
        {"[12]", "?[12]", false},
        {"abc", "a*b*c", true},
        {"abbbc", "a*bc", true},
        {"", "*", true},
        {"\u00e9t\u00e9", "\u00c9T*", true},
        {"ab", "a?c", false},
    };
    for (const auto& [name, pattern, match] : cases)
        EXPECT_EQ(Platform::wildcardMatch(QString::fromUtf8(name), QString::fromUtf8(pattern)),
                  match)
            << name << " ~ " << pattern;
}

TEST(FileSystem, ListingsAndLookupsWhateverTheCase)
{
    QTemporaryDir dir;
    for (const char* name : {"b.emi", "A.EMI", "c.txt", "Shared.BIN"})
        touch(dir.filePath(QString::fromLatin1(name)));
    QDir(dir.path()).mkpath(QStringLiteral("Acme [12]"));
    QDir(dir.path()).mkpath(QStringLiteral("z.emi"));

    EXPECT_EQ(Platform::listEntries(dir.path(), u"*.emi", Platform::EntryKind::Files),
              (QStringList{"A.EMI", "b.emi"}));
    EXPECT_EQ(Platform::listEntries(dir.path(), u"*", Platform::EntryKind::Folders),
              (QStringList{"Acme [12]", "z.emi"}));
    EXPECT_TRUE(Platform::listEntries(dir.filePath(QStringLiteral("none")), u"*",
                                      Platform::EntryKind::Files)
                    .isEmpty());
    EXPECT_EQ(Platform::findNoCase(dir.path(), QStringLiteral("shared.bin")),
              dir.filePath(QStringLiteral("Shared.BIN")));
    EXPECT_EQ(Platform::resolveNoCase(dir.filePath(QStringLiteral("ACME [12]"))),
              dir.filePath(QStringLiteral("Acme [12]")));
    EXPECT_EQ(Platform::findNoCase(dir.path(), QStringLiteral("none.bin")),
              dir.filePath(QStringLiteral("none.bin")));
}

namespace {

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

mode_t modeOf(const QString& path)
{
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

void replaceWith(const QString& path, const QByteArray& bytes)
{
    File::replaceWhole(path, bytes.size(), [&](File& file) { file.writeAt(1, bytes); });
}

// Runs `body` where access rights hold: in a child process that gives up
// root when the tests run as root (root passes every permission check), in
// this one otherwise. True when `body` returned true.
bool withoutRoot(const std::function<bool()>& body)
{
    if (::geteuid() != 0)
        return body();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped && body() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace

// A temporary file left by a crashed process, even one of the same process
// number, never lends its bytes to the new file; the new file keeps the old
// one's rights, and its owner and group where the process may set them.
TEST(File, ReplaceWholeWritesAFreshFileWithTheOldFilesRights)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("Name.bin"));
    const QString stale =
        dir.filePath(QStringLiteral(".Name.bin.%1.tmp").arg(QCoreApplication::applicationPid()));
    touch(stale, QByteArray(400'000, 'x'));
    const bool root = ::geteuid() == 0;
    for (const mode_t mode : {0666, 0640, 0600, 0444}) {
        touch(target, "the old index, longer than the new one");
        ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), mode), 0);
        if (root) {
            ASSERT_EQ(::chown(QFile::encodeName(target).constData(), 65534, 65534), 0);
        }
        replaceWith(target, "new");
        EXPECT_EQ(File::open(target, File::Binary | File::Read).readAt(1, 100), "new") << mode;
        EXPECT_EQ(modeOf(target), mode);
        if (root) {
            const QFileInfo info(target);
            EXPECT_EQ(info.ownerId(), 65534u);
            EXPECT_EQ(info.groupId(), 65534u);
        }
    }
    // Whatever the case of its name; only the stale file is left beside it.
    replaceWith(dir.filePath(QStringLiteral("NAME.BIN")), "case");
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{QFileInfo(stale).fileName(), "Name.bin"}));
    EXPECT_EQ(QFileInfo(stale).size(), 400'000);

    // A new file is made with the mode asked for, less the umask.
    const QString fresh = dir.filePath(QStringLiteral("Pcode.bin"));
    const mode_t mask = ::umask(022);
    File::replaceWhole(
        fresh, 1, [](File& file) { file.writeAt(1, "x"); }, 0640);
    ::umask(mask);
    EXPECT_EQ(modeOf(fresh), 0640u);
}

// Runs `work` in a child process and kills it where the work calls the
// function it is given.
void killedAt(const std::function<void(const std::function<void()>&)>& work)
{
    int reached[2];
    ASSERT_EQ(::pipe(reached), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        work([&] {
            (void)!::write(reached[1], "w", 1);
            ::pause();
        });
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    char signal = 0;
    ASSERT_EQ(::read(reached[0], &signal, 1), 1);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(reached[0]);
    ::close(reached[1]);
}

// A writer killed while it writes leaves its temporary file. Nobody holds
// it as its writer any more, so the next writer of the file removes it; one
// whose writer lives stays.
TEST(File, TheNextWriterRemovesTheTemporariesOfKilledWriters)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("Name.bin"));
    touch(target, "old");
    killedAt([&](const std::function<void()>& stopHere) {
        File::replaceWhole(target, 3, [&](File&) { stopHere(); });
    });

    const QStringList left = File::temporariesOf(target);
    ASSERT_EQ(left.size(), 1);
    EXPECT_TRUE(File::writerGone(left[0]));
    const QString live = dir.filePath(QStringLiteral(".Name.bin.elsewhere.7.beef.tmp"));
    File held = File::open(live, File::Binary | File::Read | File::Write);
    ASSERT_TRUE(held.holdAsWriter());
    EXPECT_FALSE(File::writerGone(live));

    replaceWith(target, "new");
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{QFileInfo(live).fileName(), "Name.bin"}));
    EXPECT_EQ(File::open(target, File::Binary | File::Read).readAt(1, 10), "new");
}

// Each pair: the mode an open of the old file holds, and whether a
// replacement may go ahead: it must not overtake one who writes the old file.
TEST(File, ReplaceWholeNeverOvertakesAWriterOfTheOldFile)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("index.bin"));
    const std::pair<int, bool> cases[] = {
        {5, true}, {21, true}, {9, false}, {13, false}, {25, false}, {29, false},
    };
    for (const auto& [held, allowed] : cases) {
        touch(target, "old");
        {
            const File holder = File::open(target, held);
            EXPECT_EQ(errorOf([&] { replaceWith(target, "new"); }),
                      allowed ? 0 : int(RunTimeError::PermissionDenied))
                << held;
        }
        EXPECT_EQ(File::open(target, File::Binary | File::Read).readAt(1, 10),
                  allowed ? "new" : "old")
            << held;
        EXPECT_EQ(entriesOf(dir.path()), QStringList{"index.bin"}) << held;
    }

    // A claim is heeded by other claims only: a rebuild that holds one
    // replaces the file, and no second claim is granted meanwhile.
    std::optional<File> claim = File::claim(target);
    ASSERT_TRUE(claim);
    EXPECT_FALSE(File::claim(target));
    EXPECT_EQ(errorOf([&] { File::open(target, 29).close(); }), 0);
    replaceWith(target, "rebuilt");
    claim->close();
    EXPECT_TRUE(File::claim(target));
}

// One who holds a file against other writers (as a maker of new folders
// holds its parent's information) replaces it through that hold, which a
// second open would be refused; a file is created whole only where nothing
// of its name is.
TEST(File, AHolderReplacesThroughItsHoldAndCreatingNeverReplaces)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("FileInfo.inf"));
    touch(target, "old");
    File held = File::open(target, File::Binary | File::Write | File::Locked);
    EXPECT_EQ(errorOf([&] { replaceWith(target, "other"); }), int(RunTimeError::PermissionDenied));
    File::replaceWhole(held, 3, [](File& file) { file.writeAt(1, "new"); });
    held.close();
    EXPECT_EQ(File::open(target, File::Binary | File::Read).readAt(1, 10), "new");

    const auto create = [](const QString& path, const QByteArray& bytes) {
        return File::createWhole(path, bytes.size(), [&](File& file) { file.writeAt(1, bytes); });
    };
    EXPECT_FALSE(create(target, "created"));
    EXPECT_EQ(File::open(target, File::Binary | File::Read).readAt(1, 10), "new");
    EXPECT_TRUE(create(dir.filePath(QStringLiteral("Made.inf")), "made"));
    EXPECT_EQ(File::open(dir.filePath(QStringLiteral("Made.inf")), File::Binary | File::Read)
                  .readAt(1, 10),
              "made");
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{"FileInfo.inf", "Made.inf"}));
}

// A batch writes its files under temporary names and names them all at its
// commit, after one flush: nothing is named before, one of a name that is
// there is left alone, and a batch killed before its commit leaves only
// temporaries, which the next batch in the folder removes (a living
// writer's stay). A failed flush names nothing; a batch dropped uncommitted
// leaves nothing.
TEST(File, ABatchNamesItsFilesAtItsCommitAndAKilledOneLeavesNone)
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("B.emi")), "old");
    const auto add = [](Platform::NewFileBatch& batch, const char* name, const QByteArray& bytes,
                        const QDateTime& time = {}) {
        batch.add(
            QString::fromLatin1(name), bytes.size(), [&](File& file) { file.writeAt(1, bytes); },
            time);
    };
    killedAt([&](const std::function<void()>& stopHere) {
        Platform::NewFileBatch batch(dir.path(), u"*.emi");
        add(batch, "A.emi", "killed");
        add(batch, "K.emi", "killed");
        stopHere();
    });
    EXPECT_EQ(entriesOf(dir.path()).size(), 3);
    const QString live = dir.filePath(QStringLiteral(".C.emi.elsewhere.7.beef.tmp"));
    File held = File::open(live, File::Binary | File::Read | File::Write);
    ASSERT_TRUE(held.holdAsWriter());

    Platform::NewFileBatch batch(dir.path(), u"*.emi");
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{QFileInfo(live).fileName(), "B.emi"}));
    const QDateTime time(QDate(2026, 12, 1), QTime(9, 30), Qt::UTC);
    add(batch, "A.emi", "a", time);
    add(batch, "B.emi", "b");
    add(batch, "D.emi", "d");
    EXPECT_EQ(Platform::listEntries(dir.path(), u"*.emi", Platform::EntryKind::Files),
              QStringList{"B.emi"});
    using Outcome = Platform::NewFileBatch::Outcome;
    std::vector<Outcome> outcomes;
    for (const auto& result : batch.commit())
        outcomes.push_back(result.outcome);
    EXPECT_EQ(outcomes, (std::vector{Outcome::Made, Outcome::Existing, Outcome::Made}));
    EXPECT_EQ(
        File::open(dir.filePath(QStringLiteral("B.emi")), File::Binary | File::Read).readAt(1, 10),
        "old");
    EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("A.emi"))).lastModified().toUTC(), time);
    const QStringList committed{QFileInfo(live).fileName(), "A.emi", "B.emi", "D.emi"};
    EXPECT_EQ(entriesOf(dir.path()), committed);

    File::setFaultHook([&](const QString& path, File::Operation operation) {
        return path == dir.path() && operation == File::Operation::Write ? EIO : 0;
    });
    add(batch, "E.emi", "e");
    const auto failed = batch.commit();
    File::setFaultHook(nullptr);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].outcome, Outcome::Failed);
    EXPECT_FALSE(failed[0].error.isEmpty());
    {
        Platform::NewFileBatch dropped(dir.path(), u"*.emi");
        add(dropped, "F.emi", "f");
    }
    EXPECT_EQ(entriesOf(dir.path()), committed);
}

// A folder is filled under an unfinished name that no listing of the tree
// shows, and renamed into place without ever taking the place of another.
TEST(FileSystem, UnfinishedFoldersAreUnlistedAndRenamedWithoutReplacing)
{
    QTemporaryDir dir;
    const QString unfinished =
        dir.filePath(Platform::UnfinishedFolderPrefix + QStringLiteral("1f"));
    const QString acme = dir.filePath(QStringLiteral("Acme [1]"));
    EXPECT_TRUE(Platform::makeFolder(unfinished));
    EXPECT_FALSE(Platform::makeFolder(unfinished));
    EXPECT_TRUE(Platform::makeFolder(acme));
    QStringList listed;
    for (const Platform::FolderEntry& entry : Platform::listFolders(dir.path(), u"*"))
        listed << entry.name;
    EXPECT_EQ(listed, QStringList{"Acme [1]"});

    EXPECT_EQ(errorOf([&] { Platform::renameFolder(unfinished, acme); }),
              int(RunTimeError::FileAlreadyExists));
    EXPECT_TRUE(QFileInfo(unfinished).isDir());
    Platform::renameFolder(unfinished, dir.filePath(QStringLiteral("Beta [2]")));
    EXPECT_EQ(Platform::listEntries(dir.path(), u"*", Platform::EntryKind::Folders),
              (QStringList{"Acme [1]", "Beta [2]"}));
}

// Where the folder will not take a temporary file but the old file may be
// written, the old file is written in place, cut to its new length.
TEST(File, ReplaceWholeWritesInPlaceWhereTheFolderIsShut)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("shut"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString writable = folder + QStringLiteral("/writable.bin");
    const QString readOnly = folder + QStringLiteral("/read-only.bin");
    touch(writable, "the old contents");
    touch(readOnly, "the old contents");
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    ::chmod(QFile::encodeName(writable).constData(), 0666);
    ::chmod(QFile::encodeName(readOnly).constData(), 0444);
    ::chmod(QFile::encodeName(folder).constData(), 0555);
    struct stat before = {};
    ::stat(QFile::encodeName(writable).constData(), &before);

    EXPECT_TRUE(withoutRoot([&] {
        bool refused = false;
        try {
            replaceWith(readOnly, "new");
        } catch (const RunTimeError& error) {
            refused = error.number() == RunTimeError::PermissionDenied;
        }
        replaceWith(writable, "new");
        return refused;
    }));
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    struct stat after = {};
    ::stat(QFile::encodeName(writable).constData(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(File::open(writable, File::Binary | File::Read).readAt(1, 100), "new");
    EXPECT_EQ(File::open(readOnly, File::Binary | File::Read).readAt(1, 100), "the old contents");
    EXPECT_EQ(entriesOf(folder), (QStringList{"read-only.bin", "writable.bin"}));
}
