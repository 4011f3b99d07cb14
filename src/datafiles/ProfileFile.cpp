// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProfileFile.h"

#include "DataFile.h"
#include "shared/Messages.h"

namespace DataFiles {

const FileKind ProfileFileKind{"Zux Profile", 0.008f, 702};

QString ProfileRecord::firstNumber(ProfileContactPoint::ContactKind wanted) const
{
    for (const ProfileContactPoint& point : contacts) {
        if (point.inUse() && point.kind == wanted)
            return point.number;
    }
    return {};
}

} // namespace DataFiles

namespace Routines_ProfileFile {

using namespace DataFiles;

ProfileRecord ReadProfile(const QString& FileName, bool Quiet)
{
    return Global::guarded("Routines_ProfileFile:ReadProfile", [&] {
        ProfileRecord record;
        if (const auto file = loadDataFile(FileName, ProfileFileKind, Quiet))
            readRecord(file->bytes, file->position, record);
        return record;
    });
}

void writeProfile(const QString& path, const ProfileRecord& record)
{
    writeDataFile(path, ProfileFileKind, record);
}

} // namespace Routines_ProfileFile
