// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as an index file: the whole-file check, and the walk of one
// cell (chosen by the first bytes) as a search makes it, entries unpacked.
#include "index/Packing.h"
#include "index/Verify.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const Indexing::BytesSource source(bytes);
    Indexing::summarizeIndex(source);

    // The search does not check the header again, so any bytes reach the walk.
    const auto coordinate = [&](size_t at) {
        return qint16(at < size ? data[at] % Indexing::TableEntries + 1 : 1);
    };
    const Indexing::Cell cell{coordinate(0), coordinate(1), coordinate(2)};
    const Indexing::CellHead head = Indexing::findCell(source, cell);
    if (head.damage || head.first == -1)
        return 0;
    Indexing::ChainWalker walker(source, head.first, cell);
    Indexing::EntryStream stream;
    const auto unpack = [](const Indexing::Entry& entry) {
        qint16 flags = 0;
        int length = 0;
        Indexing::KwUnPack(entry.packedRef, flags, length);
        Indexing::UnZip(entry.packedDisplay, Indexing::EntryStart);
    };
    Indexing::IndexRecord record;
    while (walker.next(record)) {
        stream.add(record, record.NextRecord == -1);
        stream.take(unpack);
    }
    stream.take(unpack, true);
    return 0;
}
