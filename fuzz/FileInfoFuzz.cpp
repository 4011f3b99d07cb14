// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a folder information file, read and written back.
#include "DataFileFuzz.h"
#include "datafiles/FileInfoFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::fuzzDataFile<DataFiles::FileInfoRecord>(
        data, size, DataFiles::FileInfoFileKind, "FileInfo.inf", [](const QString& path) {
            Routines_FileInfoFile::ReadFileInfo(path);
            // A file that cannot be read whole is never written back.
            const QByteArray before = DataFiles::readWholeFile(path);
            if (!Routines_FileInfoFile::WriteFileInfo(path, QStringLiteral("LastRef"),
                                                      QStringLiteral("1")) &&
                QFile::exists(path) && DataFiles::readWholeFile(path) != before)
                std::abort();
        });
    return 0;
}
