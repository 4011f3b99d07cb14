// SPDX-License-Identifier: GPL-3.0-or-later
#include "TaskFile.h"

#include "FolderValues.h"
#include "datafiles/DataFile.h"
#include "platform/FileSystem.h"
#include "shared/Files.h"
#include "shared/Messages.h"
#include "shared/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Indexing {

using Platform::File;

// A task file with a bad header is made anew, never reported: the message
// number is never shown.
const DataFiles::FileKind IndexTaskFileKind{"Zux IndexTasks", 0.005f, 0};

namespace {

struct TaskFileState
{
    QString path;
    // Set when a bad task file could not be replaced: no task is written
    // until the path is set again.
    bool disabled = false;
};

TaskFileState& state()
{
    static TaskFileState kept;
    return kept;
}

QString defaultTaskFilePath()
{
    QString temp = QDir::tempPath();
    while (temp.size() > 1 && temp.endsWith(QLatin1Char('/')))
        temp.chop(1);
    return Platform::findNoCase(temp, QStringLiteral("taskfile.bin"));
}

// A new task file holding its header only.
void createTaskFile(const QString& path)
{
    File file = File::open(path, File::Binary | File::Write);
    file.writeAt(1, DataFiles::headerBytes(IndexTaskFileKind));
    file.close();
}

} // namespace

QString taskFilePath()
{
    return state().disabled ? QString() : state().path;
}

void setTaskFilePath(const QString& path)
{
    state().path = path;
    state().disabled = false;
}

void sub_CheckTaskFile()
{
    Global::guarded("Indexing:sub_CheckTaskFile", [] {
        TaskFileState& kept = state();
        if (kept.disabled)
            return;
        if (kept.path.isEmpty())
            kept.path = defaultTaskFilePath();
        const QString path = Platform::resolveNoCase(kept.path);
        for (;;) {
            if (!QFileInfo::exists(path)) {
                createTaskFile(path);
                return;
            }
            QByteArray header;
            try {
                File file = File::open(path, File::Binary | File::Read);
                header = file.readAt(1, qint64(qstrlen(IndexTaskFileKind.magic)) + 4);
            } catch (const Platform::RunTimeError&) {
                // In use or unreadable just now: appending will say so.
                return;
            }
            if (DataFiles::checkHeader(header, IndexTaskFileKind).verdict ==
                DataFiles::HeaderVerdict::Good)
                return;
            if (!QFile::remove(path)) {
                kept.disabled = true;
                return;
            }
        }
    });
}

void AddIndexTask(IndexTask& Task)
{
    Global::guarded("Indexing:AddIndexTask", [&] {
        if (state().disabled)
            return;
        if (state().path.isEmpty()) {
            sub_CheckTaskFile();
            if (taskFilePath().isEmpty())
                return;
        }
        if (Task.Action == 2) {
            FolderIndexValues gathered = gatherIndexValues(Task.Folder);
            for (std::size_t i = 0; i < Task.Values.size(); ++i)
                Task.Values[i] = std::move(gathered.values[i]);
            Task.Ref = gathered.ref;
            Task.Kind = gathered.kind;
        }
        Task.Mode = Global::GetRegistryData(QStringLiteral("Config\\Modes"),
                                            QStringLiteral("LastMode"), {.defaultValue = QString()})
                        .toString();

        // Appended under a lock, so that two programs of the suite never
        // write a task over each other's; a file that is busy runs the retry
        // dialogue, so a task is never dropped without the user knowing.
        File file = Global::OpenFile(Platform::resolveNoCase(state().path),
                                     File::Binary | File::Write | File::Locked);
        if (!file.isOpen())
            return;
        // A file removed since it was checked comes back empty: it gets its
        // header before the task.
        if (file.size() == 0)
            file.writeAt(1, DataFiles::headerBytes(IndexTaskFileKind));
        file.append(DataFiles::recordBytes(Task));
        file.close();
    });
}

} // namespace Indexing
