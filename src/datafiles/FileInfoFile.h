// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The folder information file "FileInfo.inf" of every folder of the filing
// tree: the folder's kind, its reference and its bookkeeping.
//
//   Pos.  Type       Meaning
//   1     13 bytes   "Zux File Info"
//   14    Float32    version 0.009
//   18    FileInfoRecord

#include "PackedRecord.h"

#include <QString>

namespace Platform {
class File;
}

namespace DataFiles {

// An item of the include list, the job list and field 12.
//
//   No.  Type   Width   Member   Meaning
//   1    Text   2 + n   name     the item's name (a job: its first part)
//   2    Text   2 + n   detail   the part after the name's colon (a job: its
//                                second part)
//   3    Int16  2       state    true (-1) when included / active
struct FileInfoItem
{
    static constexpr const char* RecordName = "FileInfoItem";

    QString name, detail;
    qint16 state = 0;

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, nullptr, r.name);
        v(2, nullptr, r.detail);
        v(3, nullptr, r.state);
    }
    bool operator==(const FileInfoItem&) const = default;
};

// Folder kinds, the first field.
enum FolderKind : qint16
{
    UnknownFolder = 0,
    FolderN = 1,
    FolderO = 2,
    FolderC = 3,
    FolderF = 4,
    NeverIndexed = 5
};

// A summary entry: the character 16, a key (for sub-folders their
// reference), the character 17, a detail (for sub-folders their folder kind
// in decimal), the character 18. The finder's folder browsing reads the
// sub-folders from FolderSummary in this form.
constexpr QChar SummaryOpen = QChar(16);
constexpr QChar SummarySeparator = QChar(17);
constexpr QChar SummaryClose = QChar(18);
QString folderSummaryEntry(const QString& reference, int folderKind);

// One folder's information.
//
//   No.    Member           Type                  Width        Meaning
//   1      FolderID         Int16                 2            the folder kind (FolderKind)
//   2      HasChildFolders  Int16                 2            true when it has sub-folders
//   3      RealRef          Text                  2 + n        the folder's reference
//   4      FolderSummary    Text                  2 + n        summary entries of sub-folders
//   5      FileSummary      Text                  2 + n        summary entries of files
//   6      ThumbSummary     Text                  2 + n        summary entries of thumbnails
//   7      LastRef          Int32                 4            last reference given out below
//   8      f8               Int32                 4            carried
//   9      f9               Int16                 2            carried
//   10     IncludeList      DynArray<FileInfoItem> 2 (+ 8 + n)
//   11     f11              Int16                 2            carried
//   12     f12              DynArray<FileInfoItem> 2 (+ 8 + n) carried
//   13     f13              Int16                 2            true once JobList is written
//   14     JobList          DynArray<FileInfoItem> 2 (+ 8 + n) the folder's jobs
//   15-19  f15-f19          five Text             2 + n each   carried
//   20-24  f20-f24          five Int16            2 each       carried
//   25     NextJob          Int32                 4            the next job number
//   26-29  f26-f29          four Int32            4 each       carried
//   30-31  f30, f31         two Float64           8 each       carried
//   32-33  f32, f33         two Int32             4 each       carried
//   34     f34              Int16                 2            carried
struct FileInfoRecord
{
    static constexpr const char* RecordName = "FileInfoRecord";

    qint16 FolderID = 0;
    qint16 HasChildFolders = 0;
    QString RealRef, FolderSummary, FileSummary, ThumbSummary;
    qint32 LastRef = 0;
    qint32 f8 = 0;
    qint16 f9 = 0;
    DynArray<FileInfoItem> IncludeList;
    qint16 f11 = 0;
    DynArray<FileInfoItem> f12;
    qint16 f13 = 0;
    DynArray<FileInfoItem> JobList;
    QString f15, f16, f17, f18, f19;
    qint16 f20 = 0, f21 = 0, f22 = 0, f23 = 0, f24 = 0;
    qint32 NextJob = 0;
    qint32 f26 = 0, f27 = 0, f28 = 0, f29 = 0;
    double f30 = 0, f31 = 0;
    qint32 f32 = 0, f33 = 0;
    qint16 f34 = 0;

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, "FolderID", r.FolderID);
        v(2, "HasChildFolders", r.HasChildFolders);
        v(3, "RealRef", r.RealRef);
        v(4, "FolderSummary", r.FolderSummary);
        v(5, "FileSummary", r.FileSummary);
        v(6, "ThumbSummary", r.ThumbSummary);
        v(7, "LastRef", r.LastRef);
        v(8, nullptr, r.f8);
        v(9, nullptr, r.f9);
        v(10, "IncludeList", r.IncludeList);
        v(11, nullptr, r.f11);
        v(12, nullptr, r.f12);
        v(13, nullptr, r.f13);
        v(14, "JobList", r.JobList);
        v(15, nullptr, r.f15);
        v(16, nullptr, r.f16);
        v(17, nullptr, r.f17);
        v(18, nullptr, r.f18);
        v(19, nullptr, r.f19);
        v(20, nullptr, r.f20);
        v(21, nullptr, r.f21);
        v(22, nullptr, r.f22);
        v(23, nullptr, r.f23);
        v(24, nullptr, r.f24);
        v(25, "NextJob", r.NextJob);
        v(26, nullptr, r.f26);
        v(27, nullptr, r.f27);
        v(28, nullptr, r.f28);
        v(29, nullptr, r.f29);
        v(30, nullptr, r.f30);
        v(31, nullptr, r.f31);
        v(32, nullptr, r.f32);
        v(33, nullptr, r.f33);
        v(34, nullptr, r.f34);
    }
    bool operator==(const FileInfoRecord&) const = default;
};

struct FileKind;
extern const FileKind FileInfoFileKind;

} // namespace DataFiles

namespace Routines_FileInfoFile {

// The record of a folder information file, or the empty record: an empty
// name or a missing file quietly; a wrong magic asks (message 700) whether to
// delete the file and deletes it on Yes; a wrong version shows message 701;
// neither asks nor shows anything when `Quiet`.
DataFiles::FileInfoRecord ReadFileInfo(const QString& FileName, bool Quiet = false);

// Reads the record (an empty one when the file is missing or unusable),
// changes it as `FieldName` says and writes the whole file anew, atomically:
//
//   "FolderID"           FolderID = the number of Value
//   "HasChildFolders"    true for "True" or a non-zero number, else false
//   "RealRef"            RealRef = Value
//   "FolderSummary", "FileSummary"   the summary = Value
//   "AddFolderSummary", "AddFileSummary", "AddThumbSummary"
//                        Value is a summary entry (see folderSummaryEntry);
//                        an entry of the same key is replaced where it
//                        stands, else the entry is added at the end. A Value
//                        that is not an entry is taken as a key with an empty
//                        detail.
//   "DelFolderSummary", "DelFileSummary", "DelThumbSummary"
//                        removes the entry whose key is Value (a key or a
//                        whole entry); keys compare without regard to case
//   "LastRef", "NextJob" the number of Value as a 32-bit integer
//   "Jobs"               JobList = one item: Value split at the character 1
//                        into name and detail, state true; f13 = true
//   "Include"            Value is "name" or "name:detail": the item of that
//                        name (case ignored) is set to included, taking the
//                        detail when one is given; a new item is added at the
//                        end when there is none
//   "Purge"              removes every item of that name
//   "ToggleIncState"     flips the state of the item of that name; nothing
//                        changes when there is none
//
// Any other FieldName changes nothing and writes nothing. Text outside the
// entries of a summary is kept as it stands.
//
// A file that is there but cannot be read whole is never replaced: one that
// another user holds runs the retry dialogue, one of another kind or that
// ends early is offered for deletion (message 700), one of another version
// gives message 701; the file stays as it was and the result is false. True
// when the file was written.
bool WriteFileInfo(const QString& FileName, const QString& FieldName, const QString& Value);
// Changes a record as WriteFileInfo does, for a caller that writes it
// itself; false for a FieldName that is none. Throws Platform::RunTimeError.
bool changeFileInfo(DataFiles::FileInfoRecord& record, const QString& FieldName,
                    const QString& Value);

// The record of a file that is about to be written back whole. A missing
// file gives the empty record. A file that is there but cannot be read whole
// gives false after saying why, as WriteFileInfo does: one held by another
// user runs the retry dialogue (Cancel gives up), a file of another kind or
// one that ends early asks whether to delete it (message 700), another
// version shows message 701. Throws Platform::RunTimeError.
bool readForRewrite(const QString& FileName, DataFiles::FileInfoRecord& record);

// Writes a whole record (header and record) atomically. Throws
// Platform::RunTimeError.
void writeFileInfoRecord(const QString& path, const DataFiles::FileInfoRecord& record);
// The same through the open that holds the file against other writers (a
// claim on the folder's information while new folders are made in it).
void writeFileInfoRecord(Platform::File& held, const DataFiles::FileInfoRecord& record);

// The owning contact folder of a file or folder: starting from the path's
// folder part, each folder up the tree is read (quietly) until one of kind 3
// or 4 is found; empty when none is.
QString findOwningFolder(const QString& path);

} // namespace Routines_FileInfoFile
