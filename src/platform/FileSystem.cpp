// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileSystem.h"

#include "File.h"
#include "RunTimeError.h"
#include "Text.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace Platform {
namespace {

QChar fold(QChar c)
{
    return c.toUpper();
}

bool matchFrom(QStringView name, qsizetype n, QStringView pattern, qsizetype p)
{
    // Greedy match with one back-tracking point per "*": linear in practice.
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == QLatin1Char('?') || fold(pattern[p]) == fold(name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

QString joinPath(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return name;
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

} // namespace

bool wildcardMatch(QStringView name, QStringView pattern)
{
    return matchFrom(name, 0, pattern, 0);
}

namespace {

// The entries of `folder` that match `pattern` and are of `kind`, in
// case-insensitive alphabetical order; with `identify`, each with its
// identity. Entries are examined relative to the open folder, which spares
// looking up its path again for each.
QList<FolderEntry> listing(const QString& folder, QStringView pattern, EntryKind kind,
                           bool identify, int* error = nullptr)
{
    QList<FolderEntry> entries;
    const auto fail = [error](int err) {
        if (error && err != ENOENT && err != ENOTDIR)
            *error = RunTimeError::fromErrno(err).number();
    };
    if (error && (*error = File::faultFor(folder, File::Operation::List)) != 0)
        return entries;
    DIR* dir =
        ::opendir(QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder).constData());
    if (!dir) {
        fail(errno);
        return entries;
    }
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        if (!wildcardMatch(name, pattern))
            continue;
        FolderIdentity identity;
        bool isFolder = entry->d_type == DT_DIR;
        identity.link = entry->d_type == DT_LNK;
        if (identify || entry->d_type == DT_UNKNOWN || identity.link) {
            struct stat info = {};
            bool known = ::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0;
            if (!known)
                fail(errno);
            identity.link = known && S_ISLNK(info.st_mode);
            if (identity.link)
                known = ::fstatat(fd, entry->d_name, &info, 0) == 0;
            isFolder = known && S_ISDIR(info.st_mode);
            identity.device = info.st_dev;
            identity.inode = info.st_ino;
        }
        if (isFolder == (kind == EntryKind::Folders))
            entries.append({name, identity});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        const int c = compareNoCase(a.name, b.name);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return entries;
}

} // namespace

QStringList listEntries(const QString& folder, QStringView pattern, EntryKind kind)
{
    QStringList names;
    for (FolderEntry& entry : listing(folder, pattern, kind, false))
        names << std::move(entry.name);
    return names;
}

bool isUnfinishedFolder(QStringView name)
{
    return name.startsWith(UnfinishedFolderPrefix);
}

QList<FolderEntry> listFolders(const QString& folder, QStringView pattern, int* error)
{
    if (error)
        *error = 0;
    QList<FolderEntry> folders = listing(folder, pattern, EntryKind::Folders, true, error);
    folders.removeIf([](const FolderEntry& entry) { return isUnfinishedFolder(entry.name); });
    return folders;
}

bool makeFolder(const QString& path)
{
    File::checkFault(path, File::Operation::MakeFolder);
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    throw RunTimeError::fromErrno(errno);
}

void renameFolder(const QString& from, const QString& to)
{
    File::checkFault(to, File::Operation::Rename);
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    int result =
        ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
    // A file system that cannot promise it: looked at first.
    if (result != 0 && errno == EINVAL) {
        struct stat info = {};
        if (::lstat(target.constData(), &info) == 0)
            throw RunTimeError(RunTimeError::FileAlreadyExists);
        result = ::rename(source.constData(), target.constData());
    }
    if (result == 0)
        return;
    if (errno == EEXIST || errno == ENOTEMPTY)
        throw RunTimeError(RunTimeError::FileAlreadyExists);
    throw RunTimeError::fromErrno(errno);
}

QString findNoCase(const QString& folder, const QString& name)
{
    const QString exact = joinPath(folder, name);
    if (QFileInfo::exists(exact))
        return exact;
    for (const EntryKind kind : {EntryKind::Files, EntryKind::Folders}) {
        for (const QString& entry : listEntries(folder, u"*", kind)) {
            if (compareNoCase(entry, name) == 0)
                return joinPath(folder, entry);
        }
    }
    return exact;
}

QString resolveNoCase(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return findNoCase(QString(), path);
    const QString folder = slash == 0 ? QStringLiteral("/") : path.left(slash);
    return findNoCase(folder, path.mid(slash + 1));
}

std::optional<FolderIdentity> folderIdentity(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info = {};
    if (::lstat(native.constData(), &info) != 0)
        return std::nullopt;
    FolderIdentity identity;
    identity.link = S_ISLNK(info.st_mode);
    if (identity.link && ::stat(native.constData(), &info) != 0)
        return std::nullopt;
    identity.device = info.st_dev;
    identity.inode = info.st_ino;
    return identity;
}

bool sameEntry(const QString& a, const QString& b)
{
    const std::optional<FolderIdentity> first = folderIdentity(a);
    const std::optional<FolderIdentity> second = folderIdentity(b);
    return first && second && first->device == second->device && first->inode == second->inode;
}

} // namespace Platform
