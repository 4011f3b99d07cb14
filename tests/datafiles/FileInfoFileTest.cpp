// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/FileInfoFile.h"

#include "DataFileTesting.h"
#include "UnreadableFileInfo.h"

#include <QDir>

using namespace DataFiles;
using namespace Routines_FileInfoFile;
using Platform::MsgAnswer;
using Testing::hex;

namespace {

// A contact folder's information written out field by field.
const QByteArray HandMadeFileInfo =
    hex("5a75782046696c6520496e666f bc74133c"      // "Zux File Info", 0.009
        "0300 ffff"                                // FolderID 3, HasChildFolders
        "0300 312d32"                              // RealRef "1-2"
        "0700 10332d311133 12"                     // FolderSummary: entry "3-1", kind 3
        "0000 0000"                                // FileSummary, ThumbSummary
        "07000000 00000000 0000"                   // LastRef 7, 8, 9
        "0100 01000000 00000000 0100 61 0000 ffff" // IncludeList: "a", included
        "0000 0000 0000"                           // 11, 12, 13
        "0000"                                     // JobList unallocated
        "0000 0000 0000 0000 0000"                 // 15-19
        "0000 0000 0000 0000 0000"                 // 20-24
        "2a000000"                                 // NextJob 42
        "00000000 00000000 00000000 00000000"      // 26-29
        "000000000000f03f 0000000000000000"        // 30 = 1.0, 31
        "00000000 00000000 0000");                 // 32-34

using FileInfoFile = Testing::DataFileTest;

} // namespace

TEST_F(FileInfoFile, ReadsTheHandMadeFileAndWritesItBackByteForByte)
{
    const FileInfoRecord info =
        ReadFileInfo(Testing::writeBytes(path(QStringLiteral("FileInfo.inf")), HandMadeFileInfo));
    EXPECT_EQ(info.FolderID, FolderC);
    EXPECT_EQ(info.HasChildFolders, -1);
    EXPECT_EQ(info.RealRef, QStringLiteral("1-2"));
    EXPECT_EQ(info.FolderSummary, folderSummaryEntry(QStringLiteral("3-1"), 3));
    EXPECT_EQ(info.LastRef, 7);
    ASSERT_EQ(info.IncludeList.items.size(), 1u);
    EXPECT_EQ(info.IncludeList.items[0].state, -1);
    EXPECT_EQ(info.NextJob, 42);
    EXPECT_EQ(info.f30, 1.0);

    writeFileInfoRecord(path(QStringLiteral("copy.inf")), info);
    EXPECT_EQ(Testing::fileBytes(path(QStringLiteral("copy.inf"))).toHex().toStdString(),
              HandMadeFileInfo.toHex().toStdString());
}

TEST_F(FileInfoFile, WhatTheWriterWritesReadsBackAndEveryTruncationGivesTheFieldsSoFar)
{
    const FileInfoRecord whole = Fixtures::sampleRecord<FileInfoRecord>();
    const QString file = path(QStringLiteral("whole.inf"));
    writeFileInfoRecord(file, whole);
    EXPECT_EQ(ReadFileInfo(file), whole);
    Testing::expectEveryTruncation(
        Testing::fileBytes(file), 17, whole, path("cut.inf"),
        [](const QString& cut, bool quiet) { return ReadFileInfo(cut, quiet); });
    EXPECT_TRUE(host.boxes.isEmpty());
    // No temporary file is left beside the ones written.
    EXPECT_EQ(QDir(settings.folder()).entryList(QDir::Files | QDir::Hidden).filter(u".tmp"),
              QStringList());
}

TEST_F(FileInfoFile, AFileOfAnotherKindIsOfferedForDeletion)
{
    const QString file = path(QStringLiteral("FileInfo.inf"));
    Testing::writeBytes(file, "Zux Profile and more");
    host.expectBox(MsgAnswer::No, QStringLiteral("Do you want to delete the file now?"));
    EXPECT_EQ(ReadFileInfo(file), FileInfoRecord());
    EXPECT_EQ(host.boxes.at(0).buttons, Platform::MsgButtons::YesNo);
    EXPECT_EQ(host.boxes.at(0).icon, Platform::MsgIcon::Exclamation);
    EXPECT_EQ(Testing::fileBytes(file), QByteArray("Zux Profile and more"));

    EXPECT_EQ(ReadFileInfo(file, true), FileInfoRecord());
    host.expectBox(MsgAnswer::Yes, file);
    EXPECT_EQ(ReadFileInfo(file), FileInfoRecord());
    EXPECT_FALSE(QFile::exists(file));

    QByteArray older = HandMadeFileInfo;
    Testing::writeBytes(file, older.replace(13, 4, hex("6f12033c")));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("(File is v0.008, Vantix expects v0.009)"));
    EXPECT_EQ(ReadFileInfo(file), FileInfoRecord());
    EXPECT_TRUE(QFile::exists(file));
}

TEST_F(FileInfoFile, WriteFileInfoChangesOneFieldAndKeepsTheRest)
{
    const QString file = path(QStringLiteral("FileInfo.inf"));
    // A missing file is created with an otherwise empty record.
    WriteFileInfo(file, QStringLiteral("LastRef"), QStringLiteral("12"));
    FileInfoRecord expected;
    expected.LastRef = 12;
    EXPECT_EQ(ReadFileInfo(file), expected);

    const QString entry1 = folderSummaryEntry(QStringLiteral("1-1"), 3);
    const QString entry2 = folderSummaryEntry(QStringLiteral("1-2"), 4);
    struct Step
    {
        const char* field;
        QString value;
        std::function<void(FileInfoRecord&)> change;
    };
    const auto item = [](const char* name, const char* detail, qint16 state) {
        return FileInfoItem{QString::fromUtf8(name), QString::fromUtf8(detail), state};
    };
    const Step steps[] = {
        {"FolderID", QStringLiteral("4"), [](auto& r) { r.FolderID = 4; }},
        {"HasChildFolders", QStringLiteral("True"), [](auto& r) { r.HasChildFolders = -1; }},
        {"HasChildFolders", QStringLiteral("0"), [](auto& r) { r.HasChildFolders = 0; }},
        {"RealRef", QStringLiteral("1"), [](auto& r) { r.RealRef = QStringLiteral("1"); }},
        {"NextJob", QStringLiteral("2.5"), [](auto& r) { r.NextJob = 2; }},
        {"AddFolderSummary", entry1, [&](auto& r) { r.FolderSummary = entry1; }},
        {"AddFolderSummary", entry2, [&](auto& r) { r.FolderSummary = entry1 + entry2; }},
        // The same reference again replaces its entry where it stands.
        {"AddFolderSummary", folderSummaryEntry(QStringLiteral("1-1"), 5),
         [&](auto& r) { r.FolderSummary = folderSummaryEntry(QStringLiteral("1-1"), 5) + entry2; }},
        {"DelFolderSummary", QStringLiteral("1-1"), [&](auto& r) { r.FolderSummary = entry2; }},
        {"DelFolderSummary", QStringLiteral("9-9"), [](auto&) {}},
        {"AddFileSummary", QStringLiteral("EMI_1.emi"),
         [](auto& r) {
             r.FileSummary = QStringLiteral("\x10"
                                            "EMI_1.emi\x11\x12");
         }},
        {"DelFileSummary", QStringLiteral("emi_1.EMI"), [](auto& r) { r.FileSummary.clear(); }},
        {"Jobs",
         QStringLiteral("Job 1\x01"
                        "Details"),
         [&](auto& r) {
             r.JobList.items = {item("Job 1", "Details", -1)};
             r.f13 = -1;
         }},
        {"Include", QStringLiteral("a.htm"),
         [&](auto& r) { r.IncludeList.items = {item("a.htm", "", -1)}; }},
        {"Include", QStringLiteral("b.htm:part"),
         [&](auto& r) { r.IncludeList.items.push_back(item("b.htm", "part", -1)); }},
        {"ToggleIncState", QStringLiteral("A.HTM"),
         [](auto& r) { r.IncludeList.items[0].state = 0; }},
        {"Include", QStringLiteral("a.htm:x"),
         [&](auto& r) { r.IncludeList.items[0] = item("a.htm", "x", -1); }},
        {"Purge", QStringLiteral("b.htm"), [](auto& r) { r.IncludeList.items.pop_back(); }},
        {"NoSuchField", QStringLiteral("1"), [](auto&) {}},
    };
    for (const Step& step : steps) {
        WriteFileInfo(file, QString::fromUtf8(step.field), step.value);
        step.change(expected);
        EXPECT_EQ(Fixtures::leavesOf(ReadFileInfo(file)), Fixtures::leavesOf(expected))
            << step.field << " " << step.value.toStdString();
    }

    host.expectBox(MsgAnswer::Ok,
                   QStringLiteral("Routines_FileInfoFile:WriteFileInfo  Error:Overflow"));
    WriteFileInfo(file, QStringLiteral("FolderID"), QStringLiteral("40000"));
    EXPECT_EQ(ReadFileInfo(file), expected);
}

TEST_F(FileInfoFile, TheOwningFolderIsTheNearestContactOrCompanyFolder)
{
    const QString company = path(QStringLiteral("Acme [1]"));
    const QString contact = company + QStringLiteral("/Jo [1-1]");
    const QString sub = contact + QStringLiteral("/Letters");
    QDir().mkpath(sub);
    WriteFileInfo(company + QStringLiteral("/FileInfo.inf"), QStringLiteral("FolderID"),
                  QStringLiteral("4"));
    WriteFileInfo(contact + QStringLiteral("/fileinfo.INF"), QStringLiteral("FolderID"),
                  QStringLiteral("3"));
    WriteFileInfo(sub + QStringLiteral("/FileInfo.inf"), QStringLiteral("FolderID"),
                  QStringLiteral("5"));

    EXPECT_EQ(findOwningFolder(sub + QStringLiteral("/EMI_1.emi")), contact);
    EXPECT_EQ(findOwningFolder(sub), contact);
    EXPECT_EQ(findOwningFolder(contact + QStringLiteral("/")), contact);
    EXPECT_EQ(findOwningFolder(company + QStringLiteral("/x.txt")), company);
    EXPECT_EQ(findOwningFolder(settings.folder()), QString());
    // A name written in another case is found, and replaced rather than doubled.
    EXPECT_EQ(QDir(contact).entryList(QDir::Files), QStringList{QStringLiteral("fileinfo.INF")});
}

// Writing back a file that cannot be read whole would replace it with an
// empty record and the one change: it is refused, and the file stays.
TEST_F(FileInfoFile, WriteFileInfoRefusesAFileItCannotReadAndLeavesItAsItWas)
{
    const QString file = path(QStringLiteral("FileInfo.inf"));
    for (const Testing::UnreadableFileInfo& c : Testing::unreadableFileInfo(HandMadeFileInfo)) {
        Platform::File holder = c.put(file);
        host.expectBox(c.answer, QString::fromUtf8(c.box));
        EXPECT_FALSE(WriteFileInfo(file, QStringLiteral("LastRef"), QStringLiteral("99")))
            << c.state;
        holder.close();
        EXPECT_EQ(Testing::fileBytes(file), c.bytes) << c.state;
        EXPECT_EQ(host.boxes.size(), 1) << c.state;
        host.boxes.clear();
    }

    // Once the other user lets go, the same write goes through.
    Testing::writeBytes(file, HandMadeFileInfo);
    EXPECT_TRUE(WriteFileInfo(file, QStringLiteral("LastRef"), QStringLiteral("99")));
    EXPECT_EQ(ReadFileInfo(file).LastRef, 99);
    EXPECT_EQ(ReadFileInfo(file).RealRef, QStringLiteral("1-2"));
}
