// SPDX-License-Identifier: GPL-3.0-or-later
#include "EventFile.h"

#include "DataFile.h"
#include "shared/Messages.h"

namespace DataFiles {
const FileKind EventFileKind{"Zux Event", 0.013f, 705};
}

namespace FileOperations {

using namespace DataFiles;

EventRecord ReadEvent(const QString& FileName, bool Quiet)
{
    return Global::guarded("FileOperations:ReadEvent", [&] {
        EventRecord record;
        const auto file = loadDataFile(FileName, EventFileKind, Quiet, {}, true);
        if (file) {
            readRecord(file->bytes, file->position, record);
        }
        return record;
    });
}

void writeEventFile(const QString& path, const EventRecord& record)
{
    writeDataFile(path, EventFileKind, record);
}

} // namespace FileOperations
