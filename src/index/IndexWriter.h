// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IndexFile.h"
#include "SearchKeys.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <set>

namespace Platform {
class File;
}

// Storing entries under their cells, record by record. One algorithm serves
// the index file on disk and the image a rebuild keeps in memory, so the two
// give the same bytes.
namespace Indexing {

// Where an index is written: an open file or a growing byte image.
class IndexStorage
{
public:
    virtual ~IndexStorage() = default;
    virtual qint64 size() const = 0;
    virtual QByteArray read(qint64 position, qint64 count) const = 0;
    virtual void write(qint64 position, QByteArrayView bytes) = 0;
    // Exactly `count` bytes from `position` into `out`; false when the
    // storage ends before them.
    virtual bool readInto(qint64 position, char* out, qint64 count) const;
    // Cuts the storage to `size` bytes.
    virtual void truncate(qint64 size) = 0;
    // One past the last byte of the tables that the root leads to (those
    // inside the storage). Read once: tables are never moved.
    qint64 tablesEnd() const;

    // Where a new record goes: in the place of a record that a chain gave
    // back, else at the end (each call a place of its own, also before the
    // record is written).
    qint64 newRecordPosition();
    // A record that no chain leads to any more; its place is taken again
    // first. closeGaps gives back to the file what stays free.
    void giveBack(qint64 position) { m_free.insert(position); }
    // The records given back and not taken again, which the storage forgets.
    std::set<qint64> takeGivenBack();

private:
    mutable qint64 m_tablesEnd = 0;
    std::set<qint64> m_free;
    qint64 m_reservedEnd = 0;
};

// An index held in memory, starting as the empty index.
class MemoryIndex final : public IndexStorage
{
public:
    MemoryIndex();
    // An index read whole from its file.
    explicit MemoryIndex(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    qint64 size() const override { return m_bytes.size(); }
    QByteArray read(qint64 position, qint64 count) const override;
    void write(qint64 position, QByteArrayView bytes) override;
    void truncate(qint64 size) override { m_bytes.truncate(size); }
    bool readInto(qint64 position, char* out, qint64 count) const override;
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// An open index file. Throws Platform::RunTimeError from the file.
class FileStorage final : public IndexStorage
{
public:
    explicit FileStorage(Platform::File& file) : m_file(file) {}
    qint64 size() const override;
    QByteArray read(qint64 position, qint64 count) const override;
    void write(qint64 position, QByteArrayView bytes) override;
    void truncate(qint64 size) override;

private:
    Platform::File& m_file;
};

// The position of the third-level table entry that leads to `cell`'s first
// record; Platform::RunTimeError when the tables lead outside the storage.
qint64 cellSlot(const IndexStorage& storage, Cell cell);

// Appends one entry to a cell's chain: into the last record while it has
// room, else filling that record and going on in as many new records
// (newRecordPosition) as the rest needs (each full one with Used 0, since no
// entry ends in it). The cell's first record keeps Tail and Count. Every
// record written lies beyond the tables and inside the storage: when the
// tables or the cell's Tail lead elsewhere, nothing is written and
// Platform::RunTimeError ("Subscript out of range", with the damage as its
// description) is thrown.
void storeEntry(IndexStorage& storage, Cell cell, QByteArrayView entry);

// Takes out of the chains of `cells` every entry of the folder whose
// reference `packedRef` packs, of whatever folder kind, so that storing the
// folder's values again leaves one set of its entries. Each chain that loses
// entries is written anew in its own records, as storeEntry would have
// filled them, from the first record that changes; the records it no longer
// needs are given back (giveBack). Every chain is read and checked before
// any is written: one that cannot be read whole, or that holds bytes which
// are no entry, is refused (Platform::RunTimeError) with nothing written.
void takeOutFolder(IndexStorage& storage, const QList<Cell>& cells, QByteArrayView packedRef);

// Gives the records given back and not taken again back to the file: the
// file's last records are moved into their places (found by walking every
// chain, which only a chain that shrank calls for) and the file is cut, so
// that every byte is a table's or a record's. Damage met on the way is
// refused (Platform::RunTimeError).
void closeGaps(IndexStorage& storage);

// An entry's bytes: 1, the match text, 2, the packed reference, the packed
// display.
QByteArray makeEntry(const QString& match, QByteArrayView packedRef, QByteArrayView packedDisplay);

// Stores one value of a folder: one entry per key word, under the word's
// cell. `packedRef` is KwPack's form of the reference.
void storeValue(IndexStorage& storage, int index, const QString& value, const QString& display,
                QByteArrayView packedRef, int kind);
// The same for a value already split into its key words.
void storeWords(IndexStorage& storage, const KeyWords& words, const QString& display,
                QByteArrayView packedRef);

} // namespace Indexing
