// SPDX-License-Identifier: GPL-3.0-or-later
#include "IndexFile.h"

#include <QtEndian>

#include <cstring>

namespace Indexing {

const DataFiles::FileKind IndexFileKind{"Zux Index", 0.007f, 738};

namespace {

qint32 int32At(QByteArrayView bytes, qsizetype offset)
{
    return qFromLittleEndian<qint32>(bytes.data() + offset);
}

void putInt32(QByteArray& bytes, qsizetype offset, qint32 value)
{
    qToLittleEndian<qint32>(value, bytes.data() + offset);
}

IndexDamage damageAt(Cell cell, const QString& what)
{
    return {QStringLiteral("The chain of cell %1 %2.").arg(cellName(cell), what)};
}

// A table entry of the table at `table`: the pointer it holds.
qint64 tableEntry(const IndexSource& source, qint64 table, int entry)
{
    const QByteArray bytes = source.read(table + 4 * (entry - 1), 4);
    return bytes.size() == 4 ? int32At(bytes, 0) : 0;
}

bool holds(const IndexSource& source, qint64 position, qint64 length)
{
    return position >= RootPosition && position - 1 + length <= source.size();
}

} // namespace

QString cellName(Cell cell)
{
    return QStringLiteral("%1-%2-%3").arg(cell.c1).arg(cell.c2).arg(cell.c3);
}

IndexRecord IndexRecord::decode(QByteArrayView bytes)
{
    IndexRecord record;
    if (bytes.size() < RecordSize)
        return record;
    record.Tail = int32At(bytes, 0);
    record.Count = int32At(bytes, 4);
    record.NextRecord = int32At(bytes, 8);
    record.Used = qFromLittleEndian<qint16>(bytes.data() + 12);
    record.Text = bytes.sliced(14, RecordTextSize).toByteArray();
    return record;
}

QByteArray IndexRecord::encode() const
{
    QByteArray bytes(RecordSize, ' ');
    putInt32(bytes, 0, Tail);
    putInt32(bytes, 4, Count);
    putInt32(bytes, 8, NextRecord);
    qToLittleEndian<qint16>(Used, bytes.data() + 12);
    std::memcpy(bytes.data() + 14, Text.constData(),
                std::min<qsizetype>(Text.size(), RecordTextSize));
    return bytes;
}

QByteArray emptyIndexBytes()
{
    QByteArray bytes = DataFiles::headerBytes(IndexFileKind);
    bytes.append(QByteArray(2, '\0'));
    const qint64 root = bytes.size() + 1;
    bytes.append(QByteArray(TableSize, '\0'));
    for (int i = 1; i <= TableEntries; ++i) {
        const qint64 second = bytes.size() + 1;
        putInt32(bytes, root - 1 + 4 * (i - 1), static_cast<qint32>(second));
        bytes.append(QByteArray(TableSize, '\0'));
        for (int j = 1; j <= TableEntries; ++j) {
            const qint64 third = bytes.size() + 1;
            putInt32(bytes, second - 1 + 4 * (j - 1), static_cast<qint32>(third));
            bytes.append(QByteArray(TableSize, '\xff'));
        }
    }
    return bytes;
}

QByteArray BytesSource::read(qint64 position, qint64 count) const
{
    if (position < 1 || position > m_bytes.size() || count <= 0)
        return {};
    return m_bytes.sliced(position - 1, std::min<qint64>(count, m_bytes.size() - position + 1))
        .toByteArray();
}

CellHead findCell(const IndexSource& source, Cell cell)
{
    CellHead head;
    const auto inRange = [](qint16 c) { return c >= 1 && c <= TableEntries; };
    if (!inRange(cell.c1) || !inRange(cell.c2) || !inRange(cell.c3)) {
        head.damage = IndexDamage{QStringLiteral("There is no cell %1.").arg(cellName(cell))};
        return head;
    }
    // Root, second-level and third-level table: each must lie inside the
    // file before its entry is taken; the last entry is the cell's first record.
    qint64 pointer = RootPosition;
    for (const qint16 entry : {cell.c1, cell.c2, cell.c3}) {
        if (!holds(source, pointer, TableSize)) {
            head.damage = IndexDamage{
                QStringLiteral("The tables leading to cell %1 point outside the file (byte %2).")
                    .arg(cellName(cell))
                    .arg(pointer)};
            return head;
        }
        pointer = tableEntry(source, pointer, entry);
    }
    head.first = pointer;
    if (head.first != -1 && !holds(source, head.first, RecordSize)) {
        head.damage =
            damageAt(cell, QStringLiteral("starts outside the file (byte %1)").arg(head.first));
        head.first = -1;
    }
    return head;
}

void FileMap::addTable(qint64 position)
{
    m_tables.insert(position);
    m_end = std::max(m_end, position + TableSize);
}

FileMap::Clash FileMap::claim(qint64 position, Cell cell)
{
    const qint64 end = position + RecordSize;
    // A record met before that starts inside this one, or before it and
    // reaches into it.
    const auto after = m_records.lower_bound(position);
    if (after != m_records.end() && after->first < end)
        return {Clash::Record, after->first, after->second};
    if (after != m_records.begin()) {
        if (const auto before = std::prev(after); before->first + RecordSize > position)
            return {Clash::Record, before->first, before->second};
    }
    if (const auto table = m_tables.lower_bound(position - TableSize + 1);
        table != m_tables.end() && *table < end)
        return {Clash::Table, *table, {}};
    m_records.emplace_hint(after, position, cell);
    m_end = std::max(m_end, end);
    return {};
}

ChainWalker::ChainWalker(const IndexSource& source, qint64 first, Cell cell, FileMap* map)
    : m_source(source), m_cell(cell), m_map(map ? *map : m_ownMap), m_next(first)
{}

bool ChainWalker::next(IndexRecord& record)
{
    if (m_damage || m_next == -1)
        return false;
    if (m_next < RootPosition || m_next > m_source.size()) {
        m_damage =
            damageAt(m_cell, QStringLiteral("points outside the file (byte %1)").arg(m_next));
        return false;
    }
    if (const FileMap::Clash clash = m_map.claim(m_next, m_cell);
        clash.kind != FileMap::Clash::None)
        return stopAt(clash);
    const QByteArray bytes = m_source.read(m_next, RecordSize);
    if (bytes.size() < RecordSize) {
        m_damage = damageAt(m_cell, QStringLiteral("is cut short at byte %1").arg(m_next));
        return false;
    }
    record = IndexRecord::decode(bytes);
    m_position = m_next;
    ++m_read;
    if (record.Used < 0 || record.Used > RecordTextSize) {
        m_damage = damageAt(m_cell, QStringLiteral("has a record at byte %1 that claims %2 "
                                                   "characters")
                                        .arg(m_position)
                                        .arg(record.Used));
        return false;
    }
    if (m_read == 1) {
        m_count = record.Count;
        m_tail = record.Tail;
    }
    m_next = record.NextRecord;
    if (m_next == -1) {
        if (m_count != m_read)
            m_damage = damageAt(m_cell, QStringLiteral("has %1 records, but its first record "
                                                       "counts %2")
                                            .arg(m_read)
                                            .arg(m_count));
        else if (m_tail != m_position)
            m_damage = damageAt(m_cell, QStringLiteral("ends at byte %1, but its first record "
                                                       "says %2")
                                            .arg(m_position)
                                            .arg(m_tail));
    }
    return true;
}

bool ChainWalker::stopAt(const FileMap::Clash& clash)
{
    QString what;
    if (clash.kind == FileMap::Clash::Table) {
        what = QStringLiteral("has a record at byte %1 over the table at byte %2")
                   .arg(m_next)
                   .arg(clash.position);
    } else if (!(clash.cell == m_cell)) {
        m_crossLink = clash;
        what = QStringLiteral("runs into the chain of cell %1 at byte %2")
                   .arg(cellName(clash.cell))
                   .arg(m_next);
    } else if (clash.position == m_next) {
        what = QStringLiteral("loops back at byte %1").arg(m_position);
    } else {
        what = QStringLiteral("has records that overlap at bytes %1 and %2")
                   .arg(clash.position)
                   .arg(m_next);
    }
    m_damage = damageAt(m_cell, what);
    return false;
}

void EntryStream::add(const IndexRecord& record, bool last)
{
    const qsizetype length = last ? qBound(qsizetype(0), qsizetype(record.Used), record.Text.size())
                                  : record.Text.size();
    m_buffer.append(record.Text.constData(), length);
}

void EntryStream::take(const std::function<void(const Entry&)>& onEntry, bool finish)
{
    const char* data = m_buffer.constData();
    const qsizetype size = m_buffer.size();
    // The first `ch` in [from, to), -1 when none.
    const auto find = [&](char ch, qsizetype from, qsizetype to) -> qsizetype {
        if (from >= to)
            return -1;
        const void* hit = std::memchr(data + from, ch, size_t(to - from));
        const qsizetype at = hit ? static_cast<const char*>(hit) - data : -1;
        m_scanned += (at < 0 ? to : at + 1) - from;
        return at;
    };
    qsizetype at = 0;
    // Where the entry left incomplete stands: its match text's end (-1 while
    // unknown) and how far it has been searched.
    qsizetype pendingEnd = -1;
    qsizetype pendingSearched = 0;
    while (at < size) {
        if (data[at] != EntryStart) {
            // Bytes that start no entry: skip to the next entry.
            ++m_damaged;
            const qsizetype next = find(EntryStart, at, size);
            at = next < 0 ? size : next;
            continue;
        }
        // Only the entry at the buffer's start can have been read part way.
        const bool resumed = at == 0;
        const qsizetype searched = resumed ? m_searched : 0;
        qsizetype end = resumed ? m_matchEnd : -1;
        if (end < 0) {
            const qsizetype from = std::max(at + 1, searched);
            end = find(MatchEnd, from, size);
            // A byte 1 before the match text's end starts another entry.
            const qsizetype start = find(EntryStart, from, end < 0 ? size : end);
            if (start >= 0) {
                ++m_damaged;
                at = start;
                continue;
            }
            if (end < 0) {
                if (!finish) {
                    pendingSearched = size; // the match text goes on in the next record
                    break;
                }
                ++m_damaged;
                at = size;
                continue;
            }
        }
        const qsizetype ref = end + 1;
        const qsizetype refLength =
            ref < size ? (static_cast<unsigned char>(data[ref]) >> 3) + 1 : qsizetype(1);
        if (ref + refLength > size) {
            if (!finish) {
                pendingEnd = end;
                break;
            }
            ++m_damaged;
            at = size;
            continue;
        }
        qsizetype next = find(EntryStart, std::max(ref + refLength, searched), size);
        if (next < 0) {
            if (!finish) {
                pendingEnd = end;
                pendingSearched = size;
                break;
            }
            next = size;
        }
        onEntry(Entry{QByteArrayView(data + at + 1, end - at - 1),
                      QByteArrayView(data + ref, refLength),
                      QByteArrayView(data + ref + refLength, next - ref - refLength)});
        at = next;
    }
    m_buffer.remove(0, at);
    m_matchEnd = pendingEnd < 0 ? -1 : pendingEnd - at;
    m_searched = std::max(qsizetype(0), pendingSearched - at);
}

} // namespace Indexing
