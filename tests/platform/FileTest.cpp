// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/File.h"

#include "platform/FileSystem.h"
#include "platform/RunTimeError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
