// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a folder information file.
#include "DataFileFuzz.h"
#include "datafiles/FileInfoFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::fuzzDataFile<DataFiles::FileInfoRecord>(
        data, size, DataFiles::FileInfoFileKind, "FileInfo.inf",
        [](const QString& path) { Routines_FileInfoFile::ReadFileInfo(path); });
    return 0;
}
