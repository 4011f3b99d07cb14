// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Text.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace Platform {

// "*" matches any run of characters and "?" any one character; every other
// character, "[" and "]" included, stands for itself; case is ignored.
bool wildcardMatch(QStringView name, QStringView pattern);

enum class EntryKind
{
    Files,
    Folders
};
// The names (not paths) of the entries of `folder` that match `pattern`, in
// case-insensitive alphabetical order. Hidden entries count; "." and ".."
// never do. A folder that cannot be read gives an empty list.
QStringList listEntries(const QString& folder, QStringView pattern, EntryKind kind);

// The path of the entry of `folder` named `name` whatever its case: the exact
// name when it exists, else the first entry whose name equals it without
// regard to case, else `folder` + "/" + `name` as given.
QString findNoCase(const QString& folder, const QString& name);
// The same for the last component of a path.
QString resolveNoCase(const QString& path);

// A folder as the file system knows it: its device and inode, which are the
// same by whatever path it is reached, and whether the path itself is a
// symbolic link. Nothing when the path cannot be examined.
struct FolderIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    bool link = false;
};
std::optional<FolderIdentity> folderIdentity(const QString& path);
// Whether two paths reach the same file or folder (links followed), by
// its device and inode. False when either cannot be examined.
bool sameEntry(const QString& a, const QString& b);

// A new folder of the filing tree is made under a name that begins with
// this, filled, and only then renamed into place, so that nobody meets it
// half made. Such a folder is no folder of the tree: listFolders leaves it
// out, and a name of the tree ("Name [ref]") never has this form.
inline const QString UnfinishedFolderPrefix = QStringLiteral(".unfinished-");
bool isUnfinishedFolder(QStringView name);

// The sub-folders of `folder` as listEntries gives them, each with its
// identity, without unfinished folders. With `error`, a folder that cannot
// be listed, or whose entries cannot be examined, sets it to the fault's
// number (RunTimeError), 0 otherwise; a folder that is gone is no fault.
struct FolderEntry
{
    QString name;
    FolderIdentity identity;
};
QList<FolderEntry> listFolders(const QString& folder, QStringView pattern, int* error = nullptr);

// Makes the folder `path` in an existing folder. False when something of
// that name is there already; throws RunTimeError for any other failure.
bool makeFolder(const QString& path);
// Renames the folder `from` to `to`, never over anything of that name
// ("File already exists"). Throws RunTimeError.
void renameFolder(const QString& from, const QString& to);

} // namespace Platform
