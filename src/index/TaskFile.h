// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The index task file "taskfile.bin" in the user's state folder
// ($XDG_STATE_HOME/vantix, else ~/.local/state/vantix): changes the suite
// indexes later. This program only appends.
//
//   Pos.   Type       Meaning
//   1      14 bytes   "Zux IndexTasks"
//   15     Float32    version 0.005
//   19     IndexTask  records, appended one after another

#include "datafiles/PackedRecord.h"

#include <QString>

#include <array>

namespace DataFiles {
struct FileKind;
}
namespace Platform {
class File;
}

namespace Indexing {

//   No.  Member   Type          Meaning
//   1    f1       Int16         carried as the caller left it
//   2    Action   Int16         1 a new folder to index, 2 values gathered now
//   3    Ref      Text          the folder's reference
//   4    Kind     Int16         the folder kind (1 to 4)
//   5    Mode     Text          the settings mode in force
//   6    Values   4 x Text      the values of indexes 1 to 4, no array header
//   7    Folder   Text          the folder's path
struct IndexTask
{
    static constexpr const char* RecordName = "IndexTask";

    qint16 f1 = 0;
    qint16 Action = 0;
    QString Ref;
    qint16 Kind = 0;
    QString Mode;
    std::array<QString, 4> Values;
    QString Folder;

    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, nullptr, r.f1);
        v(2, "Action", r.Action);
        v(3, "Ref", r.Ref);
        v(4, "Kind", r.Kind);
        v(5, "Mode", r.Mode);
        v(6, "Values", r.Values);
        v(7, "Folder", r.Folder);
    }
    bool operator==(const IndexTask&) const = default;
};

extern const DataFiles::FileKind IndexTaskFileKind;

// Makes sure the task file exists with a good header (a bad one is deleted
// and made anew); a file that cannot be mended disables tasks for the rest
// of the process.
void sub_CheckTaskFile();
// Appends a task; with Action 2 its values, Ref and Kind are gathered from
// its Folder first, and Mode is always the mode in force. True when the task
// was written.
bool AddIndexTask(IndexTask& Task);
// Appends a task's record to the open task file and closes it. Appends wait
// for each other, in this process and others, so that records never mix.
void appendTask(Platform::File& file, const IndexTask& task);

// The kept path ("" while disabled or not yet worked out). Tests point it
// elsewhere; setting "" makes the next use work it out again.
QString taskFilePath();
void setTaskFilePath(const QString& path);

} // namespace Indexing
