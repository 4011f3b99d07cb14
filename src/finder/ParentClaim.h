// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "datafiles/FileInfoFile.h"
#include "platform/File.h"

#include <QString>

#include <functional>
#include <optional>

namespace FileOperations {

// Holds a file that others hold for a moment at a time: `attempt` gives the
// held file, or nothing (or "Permission denied") while another holds it. It
// is tried every few milliseconds for as long as the suite's retries take
// (AccessAttempts seconds), then the user is asked to retry or cancel
// (message 111, naming `path`). Nothing after Cancel; other failures throw
// Platform::RunTimeError.
std::optional<Platform::File>
holdFile(const QString& path, const std::function<std::optional<Platform::File>()>& attempt);

// The task file held against task runs (a claim, as a run takes one) while
// a new folder's task is queued and the folder renamed into place: a run in
// between would drop the task of a folder not there yet. Nothing when tasks
// are off or the user gives up waiting.
std::optional<Platform::File> holdTaskFile();

// The information file of a folder that a new folder is made in, held
// against every other writer under the sharing rules (as a writer that keeps
// other writers out; readers read on) from the reading of its LastRef to the
// writing of the reference given out, with every step of the making in
// between. So two makers never give out one reference, and neither loses
// the other's entry in the folder's summary.
class ParentClaim
{
public:
    // The claim on `parent`'s information file, made first when the folder
    // has none (an empty record, as writing its LastRef would make it).
    // Nothing when it cannot be held or read whole, after the message that
    // says why (111, 700, 701).
    static std::optional<ParentClaim> take(const QString& parent);

    const QString& parent() const { return m_parent; }
    const QString& path() const { return m_path; }

    // Removes the unfinished folders in the parent: their makers held this
    // claim while they filled them, so they are certainly gone.
    void removeUnfinishedFolders() const;

    // The next free reference below the parent: its LastRef raised by one,
    // and further while a sub-folder of that reference exists (a parent that
    // had no information file counts on from its highest sub-folder),
    // prefixed by the parent's own reference and a hyphen when it has one
    // that is not 0. `number` is the number given out.
    QString nextReference(qint32& number) const;

    // Stores the number given out as LastRef and, when `summaryEntry` is not
    // empty, the new sub-folder (HasChildFolders and the folder summary),
    // written through the claim. False after a failure has been reported.
    bool record(qint32 number, const QString& summaryEntry);

private:
    ParentClaim() = default;

    QString m_parent, m_path;
    bool m_hadFile = true;
    Platform::File m_held;
    DataFiles::FileInfoRecord m_record;
};

} // namespace FileOperations
