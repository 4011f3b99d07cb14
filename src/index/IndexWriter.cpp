// SPDX-License-Identifier: GPL-3.0-or-later
#include "IndexWriter.h"

#include "Packing.h"
#include "SearchKeys.h"
#include "platform/Cp1252.h"
#include "platform/File.h"
#include "platform/RunTimeError.h"

#include <QtEndian>

#include <cstring>

namespace Indexing {
namespace {

// Record field offsets.
constexpr qint64 TailOffset = 0;
constexpr qint64 CountOffset = 4;
constexpr qint64 NextOffset = 8;
constexpr qint64 UsedOffset = 12;
constexpr qint64 TextOffset = 14;

template <typename T>
T readNumber(const IndexStorage& storage, qint64 position)
{
    char bytes[sizeof(T)];
    if (!storage.readInto(position, bytes, sizeof(T)))
        throw Platform::RunTimeError(Platform::RunTimeError::InputPastEndOfFile);
    return qFromLittleEndian<T>(bytes);
}

qint32 readInt32(const IndexStorage& storage, qint64 position)
{
    return readNumber<qint32>(storage, position);
}

template <typename T>
void writeNumber(IndexStorage& storage, qint64 position, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian<T>(value, bytes);
    storage.write(position, QByteArrayView(bytes, sizeof(T)));
}

// Refuses a write that damage would lead astray; nothing is written then.
[[noreturn]] void refuse(const QString& what)
{
    throw Platform::RunTimeError(Platform::RunTimeError::SubscriptOutOfRange,
                                 QStringLiteral("The index is damaged: %1.").arg(what));
}

// A table pointer on the way to `cell`: the table must lie inside the storage.
qint64 checkedTable(const IndexStorage& storage, qint64 position, Cell cell)
{
    if (position < RootPosition || position - 1 + TableSize > storage.size())
        refuse(QStringLiteral("the tables leading to cell %1 point outside the file (byte %2)")
                   .arg(cellName(cell))
                   .arg(position));
    return position;
}

// A record of `cell`'s chain that is to be rewritten: it must lie beyond the
// tables and inside the storage.
qint64 checkedRecord(const IndexStorage& storage, qint64 position, Cell cell)
{
    if (position < storage.tablesEnd() || position - 1 + RecordSize > storage.size())
        refuse(QStringLiteral("the chain of cell %1 leads to byte %2, %3")
                   .arg(cellName(cell))
                   .arg(position)
                   .arg(QLatin1String(position < storage.tablesEnd() ? "inside the tables"
                                                                     : "outside the records")));
    return position;
}

// The text of a record from `offset` on: `bytes` and blanks to its end, as
// assigning to the fixed-length text does.
QByteArray textFrom(QByteArrayView bytes, qint64 offset)
{
    QByteArray text(RecordTextSize - offset, ' ');
    std::memcpy(text.data(), bytes.data(), std::min<qint64>(bytes.size(), text.size()));
    return text;
}

} // namespace

bool IndexStorage::readInto(qint64 position, char* out, qint64 count) const
{
    const QByteArray bytes = read(position, count);
    if (bytes.size() < count)
        return false;
    std::memcpy(out, bytes.constData(), count);
    return true;
}

bool MemoryIndex::readInto(qint64 position, char* out, qint64 count) const
{
    if (position < 1 || position - 1 + count > m_bytes.size())
        return false;
    std::memcpy(out, m_bytes.constData() + position - 1, count);
    return true;
}

qint64 IndexStorage::tablesEnd() const
{
    if (m_tablesEnd > 0)
        return m_tablesEnd;
    const auto entries = [this](qint64 table) {
        QList<qint64> pointers;
        const QByteArray bytes = read(table, TableSize);
        for (qint64 at = 0; at + 4 <= bytes.size(); at += 4)
            pointers << qFromLittleEndian<qint32>(bytes.constData() + at);
        return pointers;
    };
    const auto inside = [this](qint64 table) {
        return table >= RootPosition && table - 1 + TableSize <= size();
    };
    qint64 end = RootPosition + TableSize;
    for (const qint64 second : entries(RootPosition)) {
        if (!inside(second))
            continue;
        end = std::max(end, second + TableSize);
        for (const qint64 third : entries(second)) {
            if (inside(third))
                end = std::max(end, third + TableSize);
        }
    }
    m_tablesEnd = end;
    return end;
}

MemoryIndex::MemoryIndex() : m_bytes(emptyIndexBytes()) {}

QByteArray MemoryIndex::read(qint64 position, qint64 count) const
{
    return BytesSource(m_bytes).read(position, count);
}

void MemoryIndex::write(qint64 position, QByteArrayView bytes)
{
    const qint64 end = position - 1 + bytes.size();
    if (end > m_bytes.size())
        m_bytes.resize(end, '\0');
    std::memcpy(m_bytes.data() + position - 1, bytes.data(), bytes.size());
}

qint64 FileStorage::size() const
{
    return m_file.size();
}

QByteArray FileStorage::read(qint64 position, qint64 count) const
{
    return m_file.readAt(position, count);
}

void FileStorage::write(qint64 position, QByteArrayView bytes)
{
    m_file.writeAt(position, bytes);
}

// Only the bytes that change are read and written: the result is the same
// as reading each record whole and writing it back, since a cell's last
// record holds blanks after its Used characters.
void storeEntry(IndexStorage& storage, Cell cell, QByteArrayView entry)
{
    const qint64 second =
        checkedTable(storage, readInt32(storage, RootPosition + 4 * (cell.c1 - 1)), cell);
    const qint64 third =
        checkedTable(storage, readInt32(storage, second + 4 * (cell.c2 - 1)), cell);
    const qint64 slot = third + 4 * (cell.c3 - 1);
    qint64 first = readInt32(storage, slot);
    const qint64 length = entry.size();

    if (first == -1) {
        // A new cell: its first record goes at the end of the file.
        first = storage.size() + 1;
        writeNumber<qint32>(storage, slot, static_cast<qint32>(first));
        if (length <= RecordTextSize) {
            IndexRecord record;
            record.Tail = static_cast<qint32>(first);
            record.Count = 1;
            record.NextRecord = -1;
            record.Used = static_cast<qint16>(length);
            record.Text = textFrom(entry, 0);
            storage.write(first, record.encode());
            return;
        }
        // Longer than a record: start it blank, then fill it below.
        IndexRecord record;
        record.Tail = static_cast<qint32>(first);
        record.Count = 1;
        record.NextRecord = -1;
        record.Text = QByteArray(RecordTextSize, ' ');
        storage.write(first, record.encode());
    }
    checkedRecord(storage, first, cell);
    const qint64 last = checkedRecord(storage, readInt32(storage, first + TailOffset), cell);
    const qint16 used = readNumber<qint16>(storage, last + UsedOffset);
    if (used < 0 || used > RecordTextSize)
        refuse(QStringLiteral("the last record of cell %1 claims %2 characters")
                   .arg(cellName(cell))
                   .arg(used));

    if (used + length <= RecordTextSize) {
        storage.write(last + TextOffset + used, textFrom(entry, used));
        writeNumber<qint16>(storage, last + UsedOffset, static_cast<qint16>(used + length));
        return;
    }

    // Fill the last record with the entry's beginning and go on in new
    // records at the end of the file: full ones while the rest is longer than
    // a record (no entry ends in them, so Used 0), then the one where it ends.
    const qint64 room = RecordTextSize - used;
    qint64 next = storage.size() + 1;
    storage.write(last + TextOffset + used, entry.first(room));
    writeNumber<qint32>(storage, last + NextOffset, static_cast<qint32>(next));
    QByteArrayView rest = entry.sliced(room);
    qint32 added = 0;
    for (;;) {
        const bool ends = rest.size() <= RecordTextSize;
        IndexRecord record;
        record.NextRecord = ends ? -1 : static_cast<qint32>(next + RecordSize);
        record.Used = ends ? static_cast<qint16>(rest.size()) : 0;
        record.Text = textFrom(rest.first(std::min<qint64>(rest.size(), RecordTextSize)), 0);
        storage.write(next, record.encode());
        ++added;
        if (ends)
            break;
        rest = rest.sliced(RecordTextSize);
        next += RecordSize;
    }
    writeNumber<qint32>(storage, first + TailOffset, static_cast<qint32>(next));
    writeNumber<qint32>(storage, first + CountOffset,
                        readInt32(storage, first + CountOffset) + added);
}

QByteArray makeEntry(const QString& match, QByteArrayView packedRef, QByteArrayView packedDisplay)
{
    QByteArray entry;
    entry.reserve(match.size() + packedRef.size() + packedDisplay.size() + 2);
    entry.append(EntryStart);
    entry.append(Platform::Cp1252::encode(match));
    entry.append(MatchEnd);
    entry.append(packedRef);
    entry.append(packedDisplay);
    return entry;
}

void storeValue(IndexStorage& storage, int index, const QString& value, const QString& display,
                QByteArrayView packedRef, int kind)
{
    const KeyWords words = keyWords(value, index, kind);
    if (words.words.isEmpty())
        return;
    const QByteArray entry = makeEntry(words.match, packedRef, Zip(display));
    for (const QString& word : words.words)
        storeEntry(storage, cellOf(word), entry);
}

} // namespace Indexing
