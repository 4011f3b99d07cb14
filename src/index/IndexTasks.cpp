// SPDX-License-Identifier: GPL-3.0-or-later
#include "IndexTasks.h"

#include "Build.h"
#include "FolderValues.h"
#include "IndexFile.h"
#include "IndexWriter.h"
#include "OpenIndex.h"
#include "Packing.h"
#include "Storing.h"
#include "datafiles/DataFile.h"
#include "platform/FileSystem.h"
#include "platform/UiHost.h"
#include "shared/Files.h"
#include "shared/Messages.h"
#include "shared/Paths.h"
#include "shared/Settings.h"

#include <QFileInfo>

#include <array>
#include <memory>
#include <optional>

namespace Indexing {

using Platform::File;
using Platform::RunTimeError;

namespace {

// String numbers.
enum : int
{
    TaskFolderGone = 960,
    TasksDone = 961,
    IndexesBusy = 962,
    NoTasks = 963,
};

// How long the task file's replacement waits for appends under way.
constexpr int ReplaceAttempts = 50;
constexpr int ReplaceWaitMs = 100;

// A fault of a file's reads or writes, with the file.
struct FileFault
{
    QString path;
    RunTimeError error;
};

// Runs `work` on the file at `path`; a fault comes out as a FileFault.
template <typename Work>
auto onFile(const QString& path, Work&& work)
{
    try {
        return work();
    } catch (const RunTimeError& error) {
        throw FileFault{path, error};
    }
}

// The task file held against other task runs, at its current name; nothing
// when another run holds it.
std::optional<File> claimTaskFile(const QString& path)
{
    for (;;) {
        std::optional<File> claim = File::claim(path);
        if (!claim || claim->isAt(path))
            return claim;
        // Replaced whole between the open and the claim: the new file.
    }
}

// The folder of a task, found by its path or else by its reference; "" when
// neither names one.
QString taskFolder(const IndexTask& task)
{
    if (QFileInfo(task.Folder).isDir())
        return task.Folder;
    if (task.Ref.isEmpty())
        return {};
    const QString named = u'[' + task.Ref + u']';
    for (const QString& setting :
         {QStringLiteral("NewContactsFolder"), QStringLiteral("FilingFolder")}) {
        // Where the reference's folder is missing, the look-up gives the
        // level it reached: only a folder of that very reference is the one.
        const QString found = Global::ResolveFolderRef(task.Ref, setting);
        if (found.endsWith(named, Qt::CaseInsensitive) && QFileInfo(found).isDir())
            return found;
    }
    return {};
}

QString currentMode()
{
    return Global::GetRegistryData(QStringLiteral("Config\\Modes"), QStringLiteral("LastMode"),
                                   {.defaultValue = QString()})
        .toString();
}

// One index of a run: the real file held by a claim and its new image.
struct TaskIndex
{
    int number = 0;
    QString path;
    File claim;
    std::unique_ptr<MemoryIndex> image;
};

enum class Taken
{
    Taken,
    Missing,
    Busy,
    Bad
};

Taken takeIndex(TaskIndex& index)
{
    if (!QFileInfo(index.path).isFile())
        return Taken::Missing;
    std::optional<File> claim = File::claim(index.path);
    if (!claim)
        return Taken::Busy;
    const std::optional<qint16> flag = readIndexFlag(*claim);
    if (!flag)
        return Taken::Bad;
    if (*flag != 0)
        return Taken::Busy;
    index.image = std::make_unique<MemoryIndex>(claim->readAt(1, claim->size()));
    index.claim = std::move(*claim);
    return Taken::Taken;
}

// The task file anew: its header, the tasks kept of those read, and what was
// appended after them.
QByteArray remainingTasks(const QByteArray& now, const TaskList& read,
                          const std::vector<bool>& removed)
{
    QByteArray bytes = DataFiles::headerBytes(IndexTaskFileKind);
    qint64 start = DataFiles::checkHeader(now, IndexTaskFileKind).position;
    for (std::size_t i = 0; i < read.tasks.size(); ++i) {
        if (!removed[i])
            bytes += now.mid(start - 1, read.ends[i] - start);
        start = read.ends[i];
    }
    bytes += now.mid(read.end - 1);
    return bytes;
}

// Replaces the task file while appends wait. An append that opened the file
// before takes the sharing rules' writer's place and keeps the replacement
// out: then appends are let through for a moment and it is tried again.
void rewriteTaskFile(File& claim, const QString& path, const TaskList& read,
                     const std::vector<bool>& removed)
{
    for (int attempt = 1;; ++attempt) {
        claim.lockForAppending();
        const QByteArray now = claim.readAt(1, claim.size());
        try {
            DataFiles::writeFileAtomically(path, remainingTasks(now, read, removed));
            return;
        } catch (const RunTimeError& error) {
            if (error.number() != RunTimeError::PermissionDenied || attempt == ReplaceAttempts)
                throw;
        }
        claim.unlockAppending();
        Platform::uiHost().wait(ReplaceWaitMs);
    }
}

} // namespace

TaskList parseTasks(QByteArrayView bytes)
{
    TaskList list;
    const DataFiles::HeaderCheck header = DataFiles::checkHeader(bytes, IndexTaskFileKind);
    if (header.verdict != DataFiles::HeaderVerdict::Good)
        return list;
    list.goodHeader = true;
    list.end = header.position;
    while (list.end <= bytes.size()) {
        IndexTask task;
        DataFiles::ReadResult read;
        try {
            read = DataFiles::readRecord(bytes, list.end, task);
        } catch (const DataFiles::RecordDamage&) {
            break; // kept as it stands, never carried out
        }
        // A record still being appended is not there yet.
        if (!read.complete)
            break;
        list.tasks.push_back(std::move(task));
        list.ends.push_back(read.next);
        list.end = read.next;
    }
    return list;
}

TaskList outstandingTasks()
{
    if (taskFilePath().isEmpty())
        sub_CheckTaskFile();
    const QString path = Platform::resolveNoCase(taskFilePath());
    if (path.isEmpty() || !QFileInfo::exists(path))
        return {};
    return parseTasks(DataFiles::readWholeFile(path));
}

bool runTasksAtOnce()
{
    return Global::GetRegistryData(QStringLiteral("Config"),
                                   QStringLiteral("IndexNewFoldersAtOnce"),
                                   {.defaultValue = -1, .valueType = 1, .max = 0, .min = -1})
               .toDouble() != 0;
}

TaskRunReport RunIndexTasks()
{
    TaskRunReport report;
    try {
        if (taskFilePath().isEmpty())
            sub_CheckTaskFile();
        const QString path = Platform::resolveNoCase(taskFilePath());
        if (path.isEmpty() || !QFileInfo::exists(path))
            return report;
        std::optional<File> taskFile = onFile(path, [&] { return claimTaskFile(path); });
        if (!taskFile) {
            report.busy = true;
            report.lines << Global::ResolveRes(IndexesBusy);
            return report;
        }
        const TaskList read =
            onFile(path, [&] { return parseTasks(taskFile->readAt(1, taskFile->size())); });
        if (read.tasks.empty())
            return report;

        // The tasks of this mode whose folders are still there, gathered.
        const QString mode = currentMode();
        std::vector<bool> removed(read.tasks.size(), false);
        std::vector<FolderIndexValues> gathered;
        for (std::size_t i = 0; i < read.tasks.size(); ++i) {
            const IndexTask& task = read.tasks[i];
            if (task.Mode.compare(mode, Qt::CaseInsensitive) != 0) {
                ++report.otherModes;
                continue;
            }
            removed[i] = true;
            const QString folder = taskFolder(task);
            if (folder.isEmpty()) {
                ++report.dropped;
                report.lines << Global::ResolveRes(TaskFolderGone, {task.Folder});
                continue;
            }
            gathered.push_back(gatherIndexValues(folder));
            if (gathered.back().ref.size() > MaxStoredRefLength) {
                ++report.dropped;
                report.lines << Global::ResolveRes(919, {folder, MaxStoredRefLength});
                gathered.pop_back();
            }
        }

        if (!gathered.empty()) {
            std::array<TaskIndex, 4> indexes;
            const QString folder = indexFolder();
            for (int n = NameIndex; n <= UD1Index; ++n) {
                TaskIndex& index = indexes[n - 1];
                index.number = n;
                index.path = Platform::resolveNoCase(indexPath(folder, n));
                switch (onFile(index.path, [&] { return takeIndex(index); })) {
                case Taken::Taken:
                case Taken::Missing:
                    break;
                case Taken::Busy:
                    report = {.busy = true, .lines = {Global::ResolveRes(IndexesBusy)}};
                    return report;
                case Taken::Bad:
                    report = {.failed = true, .lines = {Global::ResolveRes(738, {index.path})}};
                    return report;
                }
            }
            // Everything is stored before anything is written, so that a
            // damaged index leaves every file as it was.
            PackedRefCache packer;
            for (const FolderIndexValues& values : gathered) {
                for (TaskIndex& index : indexes) {
                    const QString& items = values.values[index.number - 1];
                    if (!index.image || storesNothing(items, values.ref, values.kind))
                        continue;
                    onFile(index.path, [&] {
                        storeItems(*index.image, index.number, items,
                                   values.displays[index.number - 1],
                                   packer.pack(values.ref, values.kind), values.kind, false,
                                   Earlier::TakenOut);
                    });
                }
            }
            for (TaskIndex& index : indexes) {
                if (index.image)
                    onFile(index.path, [&] {
                        DataFiles::writeFileAtomically(index.path, index.image->bytes());
                    });
            }
        }
        onFile(path, [&] { rewriteTaskFile(*taskFile, path, read, removed); });
        report.done = int(gathered.size());
        for (const FolderIndexValues& values : gathered)
            report.refsDone << values.ref;
    } catch (const FileFault& fault) {
        showFileFault(fault.path, fault.error);
        report.failed = true;
    } catch (...) {
        Global::reportCurrentFault("Indexing:RunIndexTasks");
        report.failed = true;
    }
    return report;
}

void DoOutstandingTasks()
{
    TaskRunReport report;
    {
        Global::BusyPointerScope busy;
        report = RunIndexTasks();
    }
    if (report.failed)
        return;
    QStringList text;
    if (!report.busy && report.done + report.dropped == 0)
        text << Global::ResolveRes(NoTasks);
    else if (!report.busy)
        text << Global::ResolveRes(TasksDone, {report.done});
    text << report.lines;
    Global::showText(text.join(QStringLiteral("\r\n\r\n")), Platform::MsgButtons::Ok,
                     Platform::MsgIcon::Information, Global::ResolveRes(Global::Str::TitleNote));
}

} // namespace Indexing
