// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The contact index files: "Name.bin", "Pcode.bin", "TelNum.bin" and
// "UD1.bin" in the index folder. Each maps search keys to entries that name a
// folder of the filing tree. Numbers are little-endian; positions are 1-based.
//
//   Pos.   Size   Meaning
//   1      9      "Zux Index"
//   10     4      Float32 version 0.007
//   14     2      Int16 maintenance flag: 0, or -1 while locked
//   16     80     root table
//   96     ...    tables and records
//
// A table is 20 Int32. Root entry i points at second-level table i, whose
// entry j points at third-level table (i, j), whose entry k points at the
// first record of cell (i, j, k), or is -1 for an empty cell. A new index
// lays out the root, then each second-level table followed by its 20
// third-level tables; it is 33,695 bytes long. Readers follow the pointers.
//
// Record, 1038 bytes, appended at the end of the file:
//
//   Off.   Size   Field        Meaning
//   0      4      Tail         first record of a cell: its last record
//   4      4      Count        first record of a cell: records in the chain
//   8      4      NextRecord   the next record of the chain, or -1
//   12     2      Used         characters of Text that end complete entries
//   14     1024   Text
//
// The records of a cell form a chain, and their texts one stream: every
// record but the last is full (1024 characters), the last holds Used. An
// entry that does not fit into the record it starts in goes on in the next
// one, whose Used counts from its start to the end of its last complete
// entry (0 when no entry ends in it).
//
// Entry, one per stored key word:
//
//   Size   Content
//   1      the byte 1
//   n      match text: the whole value in compact search-key form
//   1      the byte 2
//   m      the folder reference packed by KwPack; its first byte gives m
//   d      the display text packed by Zip, up to the next byte 1 or the end

#include "datafiles/DataFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <set>

namespace Indexing {

inline constexpr qint64 FlagPosition = 14;
inline constexpr qint64 RootPosition = 16;
inline constexpr int TableEntries = 20;
inline constexpr qint64 TableSize = 80;
inline constexpr qint64 RecordSize = 1038;
inline constexpr qint64 RecordTextSize = 1024;
// Record field offsets.
inline constexpr qint64 TailOffset = 0;
inline constexpr qint64 CountOffset = 4;
inline constexpr qint64 NextOffset = 8;
inline constexpr qint64 UsedOffset = 12;
inline constexpr qint64 TextOffset = 14;
inline constexpr qint64 EmptyIndexSize = 33695;
inline constexpr char EntryStart = 1;
inline constexpr char MatchEnd = 2;
inline constexpr qint16 MaintenanceFlag = -1;

// Magic "Zux Index", version 0.007, message 738.
extern const DataFiles::FileKind IndexFileKind;

// A cell: the three table coordinates, each 1 to 20.
struct Cell
{
    qint16 c1 = 0, c2 = 0, c3 = 0;
    bool operator==(const Cell&) const = default;
};
// "16-11-8", as reports name a cell.
QString cellName(Cell cell);

struct IndexRecord
{
    qint32 Tail = 0;
    qint32 Count = 0;
    qint32 NextRecord = -1;
    qint16 Used = 0;
    QByteArray Text; // always RecordTextSize bytes once read or encoded

    static IndexRecord decode(QByteArrayView bytes); // RecordSize bytes
    QByteArray encode() const;
};

// The bytes of an empty index: header (flag 0), root, every table, each
// third-level entry -1.
QByteArray emptyIndexBytes();

// Where an index's bytes are read from: the open file, or bytes in memory.
class IndexSource
{
public:
    virtual ~IndexSource() = default;
    virtual qint64 size() const = 0;
    // Up to `count` bytes from `position` (1-based), fewer at the end.
    virtual QByteArray read(qint64 position, qint64 count) const = 0;
};

class BytesSource final : public IndexSource
{
public:
    explicit BytesSource(QByteArrayView bytes) : m_bytes(bytes) {}
    qint64 size() const override { return m_bytes.size(); }
    QByteArray read(qint64 position, qint64 count) const override;

private:
    QByteArrayView m_bytes;
};

// Damage found while reading an index, in the suite's voice: what is wrong
// and where ("the chain of cell 16-11-8 loops back at byte 40,321").
struct IndexDamage
{
    QString description;
};

// The first record of a cell, -1 when the cell is empty; damage when a table
// pointer or the cell's entry points outside the file or is 0 or negative
// (other than the -1 of an empty cell).
struct CellHead
{
    qint64 first = -1;
    std::optional<IndexDamage> damage;
};
CellHead findCell(const IndexSource& source, Cell cell);

// The parts of an index file that walks have met: tables, and records with
// the cell whose chain holds each. In a sound index no record shares a byte
// with another or with a table, so a record that would is damage: a chain
// that loops back, two chains that run into one another, a record over the
// tables. And since every record met takes bytes of its own, walks that
// share a map read no more records than the file can hold.
class FileMap
{
public:
    void addTable(qint64 position);
    // What a record at `position` of `cell`'s chain runs into; when nothing,
    // the record is noted as that chain's.
    struct Clash
    {
        enum Kind
        {
            None,
            Record, // a record met before, at `position` (the same or overlapping)
            Table   // the table at `position`
        } kind = None;
        qint64 position = 0;
        Cell cell; // the cell whose chain holds the record met
    };
    Clash claim(qint64 position, Cell cell);
    // One past the last byte that a table or record met takes (1 before any).
    qint64 end() const { return m_end; }

private:
    std::map<qint64, Cell> m_records;
    std::set<qint64> m_tables;
    qint64 m_end = 1;
};

// Walks a cell's chain record by record. Every pointer is checked against
// the file and against the records and tables met so far (in `map`, shared
// by the walks of one file, or the walker's own), and Used against 0 to
// 1024, so a damaged chain always ends.
class ChainWalker
{
public:
    ChainWalker(const IndexSource& source, qint64 first, Cell cell = {}, FileMap* map = nullptr);
    // The next record; false at the end of the chain or at damage.
    bool next(IndexRecord& record);
    // Set once the walk has stopped at damage. At the clean end of a chain
    // the first record's Count and Tail are checked too.
    const std::optional<IndexDamage>& damage() const { return m_damage; }
    // Set when the walk stopped at a record of another cell's chain.
    const std::optional<FileMap::Clash>& crossLink() const { return m_crossLink; }
    int recordsRead() const { return m_read; }
    // The first record's Count (0 before it is read).
    qint32 count() const { return m_count; }
    qint64 position() const { return m_position; } // of the record last read

private:
    bool stopAt(const FileMap::Clash& clash);

    const IndexSource& m_source;
    Cell m_cell;
    FileMap m_ownMap;
    FileMap& m_map;
    qint64 m_next;
    qint64 m_position = -1;
    qint32 m_count = 0;
    qint32 m_tail = 0;
    int m_read = 0;
    std::optional<IndexDamage> m_damage;
    std::optional<FileMap::Clash> m_crossLink;
};

// One entry of a cell's stream; views into the stream's buffer, valid while
// the callback that receives them runs.
struct Entry
{
    QByteArrayView match;         // between the bytes 1 and 2
    QByteArrayView packedRef;     // KwPack's bytes, header byte included
    QByteArrayView packedDisplay; // Zip's bytes, to the next entry or the end

    // The folder kind that the reference carries (the flags of its header).
    qint16 folderKind() const { return qint16(packedRef.isEmpty() ? 0 : packedRef[0] & 7); }
};

// The folder kinds that the index stores, 1 to 4 (N, O, C, F); an entry of
// another is damage.
inline bool isIndexedKind(qint16 kind)
{
    return kind >= 1 && kind <= 4;
}

// Turns a cell's records into entries. Each record's text goes in as the
// chain gives it (add); the entries that are complete so far come out
// (take). An entry is complete when the next one starts, or at finish(). A
// packed reference is skipped by its own length, so a byte 1 or 2 inside it
// never reads as an entry's start or a match text's end. Bytes before the
// first byte 1 and an entry without its byte 2 or with a reference cut short
// are damage: they are skipped, and counted. An entry that goes on over many
// records is not searched again from its start for each: what was found of
// it is kept, so every byte is looked at a few times at most.
class EntryStream
{
public:
    // `record` followed by another record in its chain gives all its text,
    // the last one its first Used characters.
    void add(const IndexRecord& record, bool last);
    // Calls `onEntry` for each complete entry not yet given; with `finish`
    // the last entry of the stream counts as complete.
    void take(const std::function<void(const Entry&)>& onEntry, bool finish = false);
    int damagedEntries() const { return m_damaged; }
    // The bytes that the entries given to take's callback point into, while
    // it runs.
    const QByteArray& buffered() const { return m_buffer; }
    // The bytes that the searches for the entries' marks have looked at.
    qint64 bytesScanned() const { return m_scanned; }

private:
    QByteArray m_buffer;
    // Of the entry left incomplete at the buffer's start: its match text's
    // end once found, and how far its bytes are known to hold no mark that
    // is still looked for.
    qsizetype m_matchEnd = -1;
    qsizetype m_searched = 0;
    int m_damaged = 0;
    qint64 m_scanned = 0;
};

} // namespace Indexing
