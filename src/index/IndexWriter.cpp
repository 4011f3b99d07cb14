// SPDX-License-Identifier: GPL-3.0-or-later
#include "IndexWriter.h"

#include "Packing.h"
#include "SearchKeys.h"
#include "platform/Cp1252.h"
#include "platform/File.h"
#include "platform/RunTimeError.h"

#include <QtEndian>

#include <cstring>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Indexing {
namespace {

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
[[noreturn]] void refuse(const IndexDamage& damage)
{
    throw Platform::RunTimeError(Platform::RunTimeError::SubscriptOutOfRange,
                                 QStringLiteral("The index is damaged. ") + damage.description);
}

// The storage read as an index source, for the walks of IndexFile.
class StorageSource final : public IndexSource
{
public:
    explicit StorageSource(const IndexStorage& storage) : m_storage(storage) {}
    qint64 size() const override { return m_storage.size(); }
    QByteArray read(qint64 position, qint64 count) const override
    {
        return m_storage.read(position, count);
    }

private:
    const IndexStorage& m_storage;
};

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

qint64 IndexStorage::newRecordPosition()
{
    if (!m_free.empty())
        return m_free.extract(m_free.begin()).value();
    const qint64 position = std::max(size() + 1, m_reservedEnd);
    m_reservedEnd = position + RecordSize;
    return position;
}

std::set<qint64> IndexStorage::takeGivenBack()
{
    m_reservedEnd = 0;
    return std::exchange(m_free, {});
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

void FileStorage::truncate(qint64 size)
{
    m_file.resize(size);
}

qint64 cellSlot(const IndexStorage& storage, Cell cell)
{
    const qint64 second =
        checkedTable(storage, readInt32(storage, RootPosition + 4 * (cell.c1 - 1)), cell);
    const qint64 third =
        checkedTable(storage, readInt32(storage, second + 4 * (cell.c2 - 1)), cell);
    return third + 4 * (cell.c3 - 1);
}

// Only the bytes that change are read and written: the result is the same
// as reading each record whole and writing it back, since a cell's last
// record holds blanks after its Used characters.
void storeEntry(IndexStorage& storage, Cell cell, QByteArrayView entry)
{
    const qint64 slot = cellSlot(storage, cell);
    qint64 first = readInt32(storage, slot);
    const qint64 length = entry.size();

    if (first == -1) {
        // A new cell: its first record goes at the end of the file, or where
        // a chain gave one back.
        first = storage.newRecordPosition();
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
    // records: full ones while the rest is longer than a record (no entry
    // ends in them, so Used 0), then the one where it ends.
    const qint64 room = RecordTextSize - used;
    qint64 next = storage.newRecordPosition();
    storage.write(last + TextOffset + used, entry.first(room));
    writeNumber<qint32>(storage, last + NextOffset, static_cast<qint32>(next));
    QByteArrayView rest = entry.sliced(room);
    qint32 added = 0;
    for (;;) {
        const bool ends = rest.size() <= RecordTextSize;
        const qint64 following = ends ? -1 : storage.newRecordPosition();
        IndexRecord record;
        record.NextRecord = static_cast<qint32>(following);
        record.Used = ends ? static_cast<qint16>(rest.size()) : 0;
        record.Text = textFrom(rest.first(std::min<qint64>(rest.size(), RecordTextSize)), 0);
        storage.write(next, record.encode());
        ++added;
        if (ends)
            break;
        rest = rest.sliced(RecordTextSize);
        next = following;
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
    storeWords(storage, keyWords(value, index, kind), display, packedRef);
}

void storeWords(IndexStorage& storage, const KeyWords& words, const QString& display,
                QByteArrayView packedRef)
{
    if (words.words.isEmpty())
        return;
    const QByteArray entry = makeEntry(words.match, packedRef, Zip(display));
    for (const QString& word : words.words)
        storeEntry(storage, cellOf(word), entry);
}

namespace {

// Whether a packed reference names the folder of `packedRef`, whatever the
// folder kind that its header byte's low bits carry.
bool sameFolder(QByteArrayView packed, QByteArrayView packedRef)
{
    return packed.size() == packedRef.size() && !packed.isEmpty() &&
           (packed[0] & ~7) == (packedRef[0] & ~7) && packed.sliced(1) == packedRef.sliced(1);
}

// A cell whose chain loses entries: its records as they stand, and the
// stream that it is to hold with the end of each entry in it.
struct ChainEdit
{
    qint64 slot = 0;
    std::vector<qint64> positions;
    std::vector<QByteArray> records;
    QByteArray stream;
    std::vector<qsizetype> entryEnds;
};

// The cell's chain without the folder's entries; nothing when it holds none.
std::optional<ChainEdit> withoutFolder(const IndexStorage& storage, Cell cell,
                                       QByteArrayView packedRef)
{
    const StorageSource source(storage);
    const CellHead head = findCell(source, cell);
    if (head.damage)
        refuse(*head.damage);
    if (head.first == -1)
        return std::nullopt;
    ChainEdit edit;
    ChainWalker walker(source, head.first, cell);
    EntryStream entries;
    IndexRecord record;
    while (walker.next(record)) {
        edit.positions.push_back(walker.position());
        edit.records.push_back(record.encode());
        entries.add(record, record.NextRecord == -1);
    }
    if (walker.damage())
        refuse(*walker.damage());
    bool found = false;
    entries.take(
        [&](const Entry& entry) {
            if (sameFolder(entry.packedRef, packedRef)) {
                found = true;
                return;
            }
            const char* start = entry.match.data() - 1;
            const char* end = entry.packedDisplay.data() + entry.packedDisplay.size();
            edit.stream.append(start, end - start);
            edit.entryEnds.push_back(edit.stream.size());
        },
        true);
    // Bytes that are no entry would be lost or misplaced by the rewrite.
    if (entries.damagedEntries() > 0)
        refuse(QStringLiteral("cell %1 holds damaged entries").arg(cellName(cell)));
    if (!found)
        return std::nullopt;
    edit.slot = cellSlot(storage, cell);
    return edit;
}

// Writes the chain's new stream into its records from the first, as the
// records that storeEntry fills hold it (Used: the end of the last entry
// that ends in the record), and gives back the records it no longer needs.
// Only records that change are written.
void rewrite(IndexStorage& storage, const ChainEdit& edit)
{
    const qsizetype size = edit.stream.size();
    const qsizetype needed = (size + RecordTextSize - 1) / RecordTextSize;
    if (needed == 0)
        writeNumber<qint32>(storage, edit.slot, -1);
    auto end = edit.entryEnds.begin();
    for (qsizetype k = 0; k < needed; ++k) {
        const qsizetype from = k * RecordTextSize;
        const qsizetype to = std::min(from + RecordTextSize, size);
        IndexRecord record;
        if (k == 0) {
            record.Tail = static_cast<qint32>(edit.positions[size_t(needed - 1)]);
            record.Count = static_cast<qint32>(needed);
        }
        record.NextRecord =
            k + 1 < needed ? static_cast<qint32>(edit.positions[size_t(k + 1)]) : -1;
        for (; end != edit.entryEnds.end() && *end <= to; ++end)
            record.Used = static_cast<qint16>(*end - from);
        record.Text = edit.stream.sliced(from, to - from);
        const QByteArray bytes = record.encode();
        if (bytes != edit.records[size_t(k)])
            storage.write(edit.positions[size_t(k)], bytes);
    }
    for (size_t k = size_t(needed); k < edit.positions.size(); ++k)
        storage.giveBack(edit.positions[k]);
}

// Every chain's records, with what leads to each, so that a record can be
// moved: the table entry or the record before it, and the first record's
// Tail when it is the last.
class RecordOwners
{
public:
    explicit RecordOwners(const IndexStorage& storage)
    {
        const StorageSource source(storage);
        FileMap map;
        for (qint16 c1 = 1; c1 <= TableEntries; ++c1) {
            for (qint16 c2 = 1; c2 <= TableEntries; ++c2) {
                for (qint16 c3 = 1; c3 <= TableEntries; ++c3) {
                    const Cell cell{c1, c2, c3};
                    const CellHead head = findCell(source, cell);
                    if (head.damage)
                        refuse(*head.damage);
                    if (head.first != -1)
                        addChain(storage, source, map, cell, head.first);
                }
            }
        }
    }

    void move(IndexStorage& storage, qint64 from, qint64 to)
    {
        const auto owner = m_owners.find(from);
        if (owner == m_owners.end())
            refuse(QStringLiteral("the record at byte %1 belongs to no chain").arg(from));
        const auto [chainIndex, k] = owner->second;
        m_owners.erase(owner);
        m_owners[to] = {chainIndex, k};
        Chain& chain = m_chains[chainIndex];
        chain.records[k] = to;
        storage.write(to, storage.read(from, RecordSize));
        writeNumber<qint32>(storage, k == 0 ? chain.slot : chain.records[k - 1] + NextOffset,
                            static_cast<qint32>(to));
        if (k + 1 == chain.records.size())
            writeNumber<qint32>(storage, chain.records[0] + TailOffset, static_cast<qint32>(to));
    }

private:
    struct Chain
    {
        qint64 slot;
        std::vector<qint64> records;
    };

    void addChain(const IndexStorage& storage, const IndexSource& source, FileMap& map, Cell cell,
                  qint64 first)
    {
        Chain& chain = m_chains.emplace_back(Chain{cellSlot(storage, cell), {}});
        ChainWalker walker(source, first, cell, &map);
        IndexRecord record;
        while (walker.next(record)) {
            m_owners[walker.position()] = {m_chains.size() - 1, chain.records.size()};
            chain.records.push_back(walker.position());
        }
        if (walker.damage())
            refuse(*walker.damage());
    }

    std::vector<Chain> m_chains;
    std::unordered_map<qint64, std::pair<size_t, size_t>> m_owners;
};

} // namespace

void takeOutFolder(IndexStorage& storage, const QList<Cell>& cells, QByteArrayView packedRef)
{
    // Every chain is read and checked before any is written.
    std::vector<ChainEdit> edits;
    QList<Cell> seen;
    for (const Cell& cell : cells) {
        if (seen.contains(cell))
            continue;
        seen << cell;
        if (std::optional<ChainEdit> edit = withoutFolder(storage, cell, packedRef))
            edits.push_back(std::move(*edit));
    }
    for (const ChainEdit& edit : edits)
        rewrite(storage, edit);
}

void closeGaps(IndexStorage& storage)
{
    std::set<qint64> free = storage.takeGivenBack();
    std::optional<RecordOwners> owners;
    while (!free.empty()) {
        const qint64 last = storage.size() - RecordSize + 1;
        if (free.erase(last) == 0) {
            const qint64 gap = *free.begin();
            if (gap > last || last < storage.tablesEnd())
                refuse(QStringLiteral("the file ends before its record at byte %1").arg(gap));
            if (!owners)
                owners.emplace(storage);
            owners->move(storage, last, gap);
            free.erase(gap);
        }
        storage.truncate(last - 1);
    }
}

} // namespace Indexing
