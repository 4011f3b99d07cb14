// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes for the contact index: a clue (up to the first line end),
// then either an index file (when the rest begins with the index's magic) or
// values that the writer stores into a new index, fields separated by the
// byte 0 in fours: value, display (the byte 1 before its further line),
// reference, folder kind (its first character less '0', so "3" is 3 and "/"
// is -1). Each is checked whole, as `vantix index verify` does, and searched
// for the clue as the finder searches, every hit ranked, highlighted and
// written into its row. Besides crashes and hangs it checks that every row
// holds a rank from 1 to 100.
#include "QuietUiHost.h"
#include "index/IndexWriter.h"
#include "index/OpenIndex.h"
#include "index/Packing.h"
#include "index/Search.h"
#include "index/Verify.h"
#include "platform/Cp1252.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// A value of more words stores more entries, each as long as the value and
// its display: the cut keeps the index within a multiple of the input.
constexpr qsizetype MaxValue = 64;

QString decoded(QByteArrayView bytes)
{
    return Platform::Cp1252::decode(bytes.data(), bytes.size());
}

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// A new index holding the values; kinds outside 1 to 4 are stored as they
// come, as a writer of another version might have.
QByteArray storedValues(QByteArrayView input)
{
    Indexing::MemoryIndex index;
    QList<QByteArrayView> fields;
    for (qsizetype from = 0; from <= input.size();) {
        const qsizetype end = input.indexOf('\0', from);
        const qsizetype to = end < 0 ? input.size() : end;
        fields << input.sliced(from, to - from);
        from = to + 1;
    }
    for (qsizetype i = 0; i + 3 < fields.size(); i += 4) {
        const QString value = decoded(fields[i].first(std::min(fields[i].size(), MaxValue)));
        qint16 kind = fields[i + 3].isEmpty() ? 0 : qint16(fields[i + 3][0] - '0');
        const QByteArray ref = Indexing::KwPack(decoded(fields[i + 2]), kind);
        Indexing::storeValue(index, Indexing::NameIndex, value, decoded(fields[i + 1]), ref, kind);
    }
    return index.bytes();
}

void search(const QString& folder, const QString& clue)
{
    Indexing::ResultsList list;
    Indexing::SearchRequest request;
    request.Fields = {Indexing::NameIndex};
    request.Clue = clue;
    request.ResultsList = &list;
    request.HitLimit = -1;
    request.ShowIcons = true;
    Indexing::setIndexFolder(folder);
    Indexing::Find(request);
    for (int i = 0; i < list.count(); ++i) {
        const QString& data = list.row(i).data;
        require(data.size() >= 3 && data[0] == u'0' && data[1].isDigit() && data[2].isDigit());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fuzzing::QuietUiHost host;
    static QTemporaryDir dir;
    Platform::ScopedUiHost quiet(host);

    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype lineEnd = input.indexOf('\n');
    const QString clue = decoded(input.first(lineEnd < 0 ? 0 : lineEnd));
    const QByteArrayView rest = input.sliced(lineEnd + 1);

    const QByteArray bytes = rest.startsWith(QByteArrayView(Indexing::IndexFileKind.magic))
                                 ? rest.toByteArray()
                                 : storedValues(rest);
    Indexing::summarizeIndex(Indexing::BytesSource(bytes));
    QFile file(Indexing::indexPath(dir.path(), Indexing::NameIndex));
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    require(file.write(bytes) == bytes.size());
    file.close();
    search(dir.path(), clue);
    return 0;
}
