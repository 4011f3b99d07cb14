// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a profile.
#include "DataFileFuzz.h"
#include "datafiles/ProfileFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::fuzzDataFile<DataFiles::ProfileRecord>(
        data, size, DataFiles::ProfileFileKind, "Profile.pro",
        [](const QString& path) { Routines_ProfileFile::ReadProfile(path); });
    return 0;
}
