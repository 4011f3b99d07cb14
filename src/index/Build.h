// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FolderValues.h"

#include <QList>
#include <QString>

#include <functional>

// Building the index files: an empty index, one folder's values added to an
// index, and the rebuild of chosen indexes from the whole filing tree under
// the maintenance lock. What a folder gives the indexes is gathered by
// FolderValues.
namespace Indexing {

// The progress of a long build, shown by a window or a command.
struct BuildProgress
{
    std::function<void(int)> setValue;            // progress bar, 0 to 100
    std::function<void(const QString&)> setLabel; // the working label (911, 913, 918)
    std::function<bool()> stopRequested;          // ends the tree walk
    // A folder of the filing tree that the walk could not read (its path and
    // the fault's description): what it holds is missing from the indexes.
    std::function<void(const QString&, const QString&)> folderUnreadable;

    void value(int percent) const
    {
        if (setValue)
            setValue(percent);
    }
    void label(const QString& text) const
    {
        if (setLabel)
            setLabel(text);
    }
    bool stopped() const { return stopRequested && stopRequested(); }
    void unreadable(const QString& folder, const QString& why) const
    {
        if (folderUnreadable)
            folderUnreadable(folder, why);
    }
};

// The longest folder reference the index stores: the suite's readers unpack
// 30 bytes of a packed reference, 58 characters, and a reference cut there
// would find another folder.
inline constexpr int MaxStoredRefLength = 58;

// Creates the empty index `IndexName` (a number, or a file name) in the
// index folder, replacing the file whole; moves the progress from
// ProgressFrom to ProgressTo. False after its message when the file cannot
// be made.
bool BuildIndexFile(const BuildProgress& ProgressBar, const QString& IndexName, qint16 ProgressFrom,
                    qint16 ProgressTo);

// Adds one folder's values to index IndexNo (1 to 4) of the index folder,
// record by record. Values and Displays hold items each ended by the
// character 0, pairwise. Nothing is stored for an empty Values or Ref, or a
// Kind other than 1 to 4; nor, after message 919 (when AllowMessages), for a
// Ref longer than MaxStoredRefLength. KeepOpen keeps the file in the
// open-index cache; IndexNo -1 closes every cached file. False when nothing
// could be stored.
bool AddToIndex(int IndexNo, QString Values, QString Displays, const QString& Ref, qint16 Kind,
                bool AllowMessages, bool KeepOpen = false);

// Rebuilds the indexes whose numbers are in Fields from the filing tree of
// the current mode. Each new index is built in memory while the real file is
// locked for maintenance, then written beside it and renamed over it, so a
// reader sees the old index or the new one and never half of one.
//
// For as long as it runs, the rebuild holds a claim on each real index file
// (Platform::File::claim), which the system drops if the process dies. An
// index that another live rebuild holds is left out after message 914; one
// whose maintenance flag is set but that nobody holds (a rebuild that died,
// or `vantix index lock`) is rebuilt and freed. An index whose flag cannot
// be set is left out too. An index left out has its entry in Fields set to 0.
//
// The tree is walked by a TreeWalk; gathering, storing, messages and
// progress stay on the calling thread, which must be the user-interface
// thread.
//
// A rebuild that is stopped, or that cannot walk the filing tree, leaves the
// real files as they were and puts back the flags it found; so does a file
// that cannot be written. False in those cases, and when an index was left
// out. A folder of the tree that cannot be read is told to the progress
// (folderUnreadable) and the rebuild goes on without what it holds.
bool RebuildIndexFile(const BuildProgress& ProgressBar, QList<qint16>& Fields);
inline bool RebuildIndexFile(const BuildProgress& ProgressBar, QList<qint16>&& Fields)
{
    return RebuildIndexFile(ProgressBar, Fields);
}

// The same rebuild written record by record straight into the index folder's
// files (BuildIndexFile, then AddToIndex for every folder of the same walk),
// as the suite's writers store one folder at a time. It gives the same bytes
// as RebuildIndexFile and is kept to check that it does.
bool rebuildRecordByRecord(const BuildProgress& ProgressBar, QList<qint16> Fields);

// True while this process rebuilds the index.
bool rebuildingIndex();

} // namespace Indexing
