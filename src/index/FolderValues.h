// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "datafiles/FileInfoFile.h"
#include "datafiles/ProfileFile.h"

#include <QString>

#include <array>

// What a folder of the filing tree gives the four indexes, gathered from its
// name, its FileInfo.inf and its Profile.pro.
namespace Indexing {

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

// The same from data files already read: `ownerName` is the display name of
// the profile of the folder of kind 3 or 4 that holds the folder ("" when
// none does), `root` the filing tree's root.
FolderIndexValues gatherIndexValues(const QString& folder, const DataFiles::FileInfoRecord& info,
                                    const DataFiles::ProfileRecord& profile,
                                    const QString& ownerName, const QString& root);

// The names of a folder's data files (found whatever their case).
extern const QString FileInfoName;
extern const QString ProfileName;

// True for a folder of kind 3 or 4, whose profile names the folders in it.
bool ownsFolders(const DataFiles::FileInfoRecord& info);

// The root of the filing tree from the current mode's setting; a setting
// that names a folder inside the tree stands for the tree's root, as when
// references are resolved.
QString filingRootPath();

} // namespace Indexing
