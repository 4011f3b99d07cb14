// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as the share file: every item that reads something, and
// each record at its directory position in memory.
#include "DataFileFuzz.h"
#include "datafiles/ShareFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const DataFiles::HeaderCheck header = DataFiles::checkHeader(bytes, DataFiles::ShareFileKind);
    if (header.verdict == DataFiles::HeaderVerdict::Good) {
        DataFiles::RecordReader reader(bytes, header.position);
        std::array<qint32, 4> directory{};
        reader.read(directory);
        const auto inside = [&](qint32 at) { return at >= 1 && at <= bytes.size(); };
        if (inside(directory[0]))
            Fuzzing::checkRoundTrip<DataFiles::ShareUserList>(bytes, directory[0]);
        if (inside(directory[1]))
            Fuzzing::checkRoundTrip<DataFiles::ShareRecordA>(bytes, directory[1]);
        if (inside(directory[2]))
            Fuzzing::checkRoundTrip<DataFiles::ShareRecordB>(bytes, directory[2]);
    }
    Routines_ShareFile::setShareFilePath(Fuzzing::inputFile(data, size, "Shared.bin"));
    for (const qint16 item : {4, 13, 20, 33, 42}) {
        QString result;
        Routines_ShareFile::ReadShare(item, result);
    }
    DataFiles::dumpDataFile(Routines_ShareFile::shareFilePath(), true);
    return 0;
}
