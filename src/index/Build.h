// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <array>
#include <functional>

// Building the index files: an empty index, one folder's values added to an
// index, the values gathered from a folder's data files, and the rebuild of
// chosen indexes from the whole filing tree under the maintenance lock.
namespace Indexing {

// The progress of a long build, shown by a window or a command.
struct BuildProgress
{
    std::function<void(int)> setValue;            // progress bar, 0 to 100
    std::function<void(const QString&)> setLabel; // the working label (911, 913)
    std::function<bool()> stopRequested;          // ends the tree walk
};

// Creates the empty index `IndexName` (a number, or a file name) in the
// index folder, replacing the file whole; moves the progress from
// ProgressFrom to ProgressTo. False after its message when the file cannot
// be made.
bool BuildIndexFile(const BuildProgress& ProgressBar, const QString& IndexName, qint16 ProgressFrom,
                    qint16 ProgressTo);

// Adds one folder's values to index IndexNo (1 to 4) of the index folder,
// record by record. Values and Displays hold items each ended by the
// character 0, pairwise. Nothing is stored for an empty Values or Ref, or a
// Kind of 0 or 5. KeepOpen keeps the file in the open-index cache; IndexNo -1
// closes every cached file. False when nothing could be stored.
bool AddToIndex(int IndexNo, QString Values, QString Displays, const QString& Ref, qint16 Kind,
                bool AllowMessages, bool KeepOpen = false);

// What one folder gives the four indexes, read from its FileInfo.inf and
// Profile.pro once. Values and displays are as AddToIndex takes them: items
// separated by the character 0 (the last one without it), pairwise; a
// display's character 1 starts the line that is not ranked against.
struct FolderIndexValues
{
    QString ref;
    qint16 kind = 0;
    std::array<QString, 4> values;   // by index number - 1
    std::array<QString, 4> displays; // likewise
};
FolderIndexValues gatherIndexValues(const QString& Folder);

// Gathers one folder's values and displays for one index, ready for
// AddToIndex; Ref and Kind from the folder's name and information file.
void PrepareForIndex(int IndexNo, const QString& Folder, QString& Values, QString& Displays,
                     QString& Ref, qint16& Kind);

// Rebuilds the indexes whose numbers are in Fields from the filing tree of
// the current mode. Each new index is built in memory while the real file is
// locked for maintenance, then written beside it and renamed over it, so a
// reader sees the old index or the new one and never half of one.
//
// The tree is read ahead on a second thread that touches only the file
// system; gathering, storing, messages and progress stay on the calling
// thread, which must be the user-interface thread.
//
// A rebuild that is stopped, or that cannot walk the filing tree, leaves the
// real files as they were and frees them; so does a file that cannot be
// written. False in those cases.
bool RebuildIndexFile(const BuildProgress& ProgressBar, QList<qint16> Fields);

// The same rebuild written record by record straight into the index folder's
// files (BuildIndexFile, then AddToIndex for every folder of the same walk),
// as the suite's writers store one folder at a time. It gives the same bytes
// as RebuildIndexFile and is kept to check that it does.
bool rebuildRecordByRecord(const BuildProgress& ProgressBar, QList<qint16> Fields);

// True while this process rebuilds the index.
bool rebuildingIndex();

} // namespace Indexing
