// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/File.h"

#include <QString>

#include <optional>

// Opening an index file with its header checks, and the maintenance flag
// that shuts an index while it is rebuilt.
namespace Indexing {

// The index folder: the one set here, else the current mode's (CheckPaths).
QString indexFolder();
// Sets the index folder for this process (a command's or a test's); empty
// goes back to the mode's.
void setIndexFolder(const QString& folder);

// Why an index could not be opened: nothing when it is missing, else the
// text of the message that was shown (or that Quiet kept back).
struct OpenOutcome
{
    Platform::File file; // open for reading and writing when usable
    QString message;     // 738 or 914, as shown; empty when none
    bool locked = false; // refused for maintenance
    // Opened for a search although its maintenance flag is set, since
    // nobody works on it: a rebuild or lock that did not finish left it.
    bool leftLocked = false;
    bool usable() const { return file.isOpen(); }
};

// Opens an index for reading and writing after checking its header: a
// missing file quietly gives nothing; a wrong magic or version gives message
// 738 (even when Quiet); a locked index message 914 with its title, unless
// Quiet. The open is marked as a writer in place (File::markWritingInPlace)
// while it lasts. Faults are reported as "Indexing:OpenIndex  Error:".
OpenOutcome OpenIndex(const QString& FileName, bool Quiet = false);
// The same, opened for reading only, as a search does: a search must not
// keep a rebuild or writer out, and needs no write access. A search reads
// the index on disk, which a writer that replaces it whole (our rebuild)
// never changes, so an index whose flag is set is refused (914) only while a
// writer in place holds it; else it is opened, and leftLocked says when
// nobody holds it at all.
OpenOutcome openIndexForReading(const QString& FileName, bool Quiet = false);

// Writes State (-1 to lock, 0 to free) into an index's maintenance flag; a
// missing file is left alone, a wrong magic or version gives message 738.
// A lock is held as a writer in place's until this process frees the index
// or ends.
void sub_LockForMaintenance(const QString& FileName, qint16 State);

// The maintenance flag of an open index file whose header is good; nothing
// for a file that is no index of this version.
std::optional<qint16> readIndexFlag(const Platform::File& file);
// The flag written into an open index whose header is good. Throws
// Platform::RunTimeError.
void writeMaintenanceFlag(Platform::File& file, qint16 State);

// Message 914, which says that an index is shut for maintenance, naming it
// by its title; shown unless Quiet. Gives the message's text.
QString showUnderMaintenance(const QString& FileName, bool Quiet = false);

} // namespace Indexing
