// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FolderValues.h"
#include "IndexWriter.h"

#include <QByteArray>
#include <QString>

namespace Platform {
class RunTimeError;
}

// Storing one folder's values in an index, as AddToIndex and the rebuild do.
namespace Indexing {

// Nothing is stored for a folder without values or reference, or of a kind
// other than 1 to 4 (unknown, never indexed, or one the index has no place
// for).
bool storesNothing(const QString& values, const QString& ref, qint16 kind);

// False after message 919 naming `folder` when the folder would be stored
// but its reference is longer than the index can hold.
bool referenceFits(const FolderIndexValues& values, const QString& folder);
void showReferenceTooLong(const QString& folder);

// Tells that an index file or the task file could not be read or written,
// naming it and what to do: free space for a full disk (973), the
// Rebuild for an index that damage keeps from being written (739), else the
// rights to change the files of its folder (974).
void showFileFault(const QString& file, const Platform::RunTimeError& error);

// The last reference packed: consecutive values of one folder pack it once.
// The kind is part of the key, since it is packed with the reference.
class PackedRefCache
{
public:
    const QByteArray& pack(const QString& ref, qint16 kind);

private:
    QString m_ref;
    qint16 m_kind = 0;
    QByteArray m_packed;
    bool m_valid = false;
};

// What an index may hold of a folder that is stored: nothing (a rebuild's
// new index, which meets each folder once), or entries stored before (an
// index in use), which are taken out first, so that a folder added twice is
// found once.
enum class Earlier
{
    None,
    TakenOut
};

// Stores a folder's values, each with its display, in the order given; the
// lists are AddToIndex's (items ended by the character 0, the last one's
// optional). `eventsPerValue` lets the event queue run after each value.
// With Earlier::TakenOut the folder's entries are first taken out of the
// cells that its values are stored under, and no record is left over.
void storeItems(IndexStorage& storage, int index, QString values, QString displays,
                QByteArrayView packedRef, qint16 kind, bool eventsPerValue, Earlier earlier);

} // namespace Indexing
