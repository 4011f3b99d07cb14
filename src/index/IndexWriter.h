// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IndexFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

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
    // One past the last byte of the tables that the root leads to (those
    // inside the storage). Read once: tables are never moved.
    qint64 tablesEnd() const;

private:
    mutable qint64 m_tablesEnd = 0;
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

private:
    Platform::File& m_file;
};

// Appends one entry to a cell's chain: into the last record while it has
// room, else filling that record and going on in as many new records at the
// end of the file as the rest needs (each full one with Used 0, since no
// entry ends in it). The cell's first record keeps Tail and Count. Every
// record written lies beyond the tables and inside the storage: when the
// tables or the cell's Tail lead elsewhere, nothing is written and
// Platform::RunTimeError ("Subscript out of range", with the damage as its
// description) is thrown.
void storeEntry(IndexStorage& storage, Cell cell, QByteArrayView entry);

// An entry's bytes: 1, the match text, 2, the packed reference, the packed
// display.
QByteArray makeEntry(const QString& match, QByteArrayView packedRef, QByteArrayView packedDisplay);

// Stores one value of a folder: one entry per key word, under the word's
// cell. `packedRef` is KwPack's form of the reference.
void storeValue(IndexStorage& storage, int index, const QString& value, const QString& display,
                QByteArrayView packedRef, int kind);

} // namespace Indexing
