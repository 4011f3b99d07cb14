// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as the index task file: the tasks that a run would carry
// out are read back as the very bytes they were read from, and stop at the
// last whole one.
#include "DataFileFuzz.h"
#include "index/IndexTasks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const Indexing::TaskList list = Indexing::parseTasks(bytes);
    if (list.end < 1 || list.end > qint64(size) + 1 || list.tasks.size() != list.ends.size())
        std::abort();
    qint64 start = DataFiles::checkHeader(bytes, Indexing::IndexTaskFileKind).position;
    for (std::size_t i = 0; i < list.tasks.size(); ++i) {
        if (DataFiles::recordBytes(list.tasks[i]) != bytes.sliced(start - 1, list.ends[i] - start))
            std::abort();
        start = list.ends[i];
    }
    DataFiles::dumpDataFile(Fuzzing::inputFile(data, size, "taskfile.bin"), true);
    return 0;
}
