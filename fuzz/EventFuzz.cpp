// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as an event file.
#include "DataFileFuzz.h"
#include "datafiles/EventFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::fuzzDataFile<DataFiles::EventRecord>(
        data, size, DataFiles::EventFileKind, "EMI_1.emi",
        [](const QString& path) { FileOperations::ReadEvent(path); });
    return 0;
}
