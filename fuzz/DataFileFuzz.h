// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the data-file fuzz targets share: the input as a file for the public
// reader and the dump, and the codec's own promise checked in memory: a
// record read whole is written back as the very bytes it was read from.

#include "QuietUiHost.h"
#include "datafiles/DataFile.h"
#include "datafiles/Dump.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace Fuzzing {

// The input written to a file of `name` in a folder kept for the run.
inline QString inputFile(const uint8_t* data, size_t size, const char* name)
{
    static QuietUiHost host;
    static QTemporaryDir dir;
    Platform::setUiHost(&host);
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

template <DataFiles::PackedRecord R>
void checkRoundTrip(QByteArrayView bytes, qint64 position)
{
    R record;
    try {
        const DataFiles::ReadResult result = DataFiles::readRecord(bytes, position, record);
        if (result.complete &&
            DataFiles::recordBytes(record) != bytes.sliced(position - 1, result.next - position))
            std::abort();
    } catch (const DataFiles::RecordDamage&) {
    }
}

// Reads the input as a file of `kind` with its record type R: in memory
// (round trip), through `read` (the public reader) and through the dump.
template <DataFiles::PackedRecord R, class Read>
void fuzzDataFile(const uint8_t* data, size_t size, const DataFiles::FileKind& kind,
                  const char* name, Read read)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const DataFiles::HeaderCheck header = DataFiles::checkHeader(bytes, kind);
    if (header.verdict == DataFiles::HeaderVerdict::Good)
        checkRoundTrip<R>(bytes, header.position);
    const QString path = inputFile(data, size, name);
    read(path);
    DataFiles::dumpDataFile(path, true);
}

} // namespace Fuzzing
