// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a postcode address file: opened as the suite opens it,
// postcodes looked up down its tables and chains, words read through the
// block cache, and the dump.
#include "DataFileFuzz.h"
#include "datafiles/PostcodeFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Routines_RADs;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const DataFiles::HeaderCheck header =
        DataFiles::checkHeader(bytes, DataFiles::PostcodeFileKind);
    if (header.verdict == DataFiles::HeaderVerdict::Good) {
        Fuzzing::checkRoundTrip<DataFiles::PostcodeFileHeader>(bytes, header.position);
        Fuzzing::checkRoundTrip<DataFiles::PostcodeFileUsers>(bytes,
                                                              DataFiles::Postcode::UsersPosition);
    }
    const QString path = Fuzzing::inputFile(data, size, "UKPAF.BIN");
    setCurrentUserName(QStringLiteral("fuzz"));
    if (std::optional<PostcodeFile> file = PostcodeFile::open(path, QStringLiteral("UKPAF.BIN"))) {
        for (const char* postcode : {"AB1 2CD", "IV23 7AR", "SW1A 1AA", "LS1 0NG", "W1", ""}) {
            const PostcodeMatches found = file->lookup(QString::fromLatin1(postcode));
            if (!found.damage.isEmpty() && !found.addresses.isEmpty())
                std::abort();
        }
        for (const int number : {0, 1, 127, 128, 4095, 32767, 32768, -1})
            file->word(number);
    }
    DataFiles::dumpDataFile(path, true);
    return 0;
}
