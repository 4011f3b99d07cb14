// SPDX-License-Identifier: GPL-3.0-or-later
#include "TaskFile.h"

#include "FolderValues.h"
#include "datafiles/DataFile.h"
#include "platform/FileSystem.h"
#include "shared/Files.h"
#include "shared/Messages.h"
#include "shared/Settings.h"

#include <QDir>
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

// The suite kept its task file in the user's own temporary folder. The
// shared temporary folder is no such place (a file another user made there
// can be neither replaced nor appended to), so it lives in the user's state
// folder.
QString defaultTaskFilePath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    while (state.size() > 1 && state.endsWith(QLatin1Char('/')))
        state.chop(1);
    const QString folder = state + QStringLiteral("/vantix");
    Global::MakePath(folder, false, false);
    return Platform::findNoCase(folder, QStringLiteral("taskfile.bin"));
}

// A task file holding its header only, in place of what was there.
void createTaskFile(const QString& path)
{
    DataFiles::writeFileAtomically(path, DataFiles::headerBytes(IndexTaskFileKind));
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
        if (QFileInfo::exists(path)) {
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
        }
        // Missing, or with a bad header: made anew. A bad file that cannot be
        // replaced turns tasks off.
        try {
            createTaskFile(path);
        } catch (const Platform::RunTimeError&) {
            if (!QFileInfo::exists(path))
                throw;
            kept.disabled = true;
        }
    });
}

bool AddIndexTask(IndexTask& Task)
{
    return Global::guarded("Indexing:AddIndexTask", [&] {
        if (state().disabled)
            return false;
        if (state().path.isEmpty()) {
            sub_CheckTaskFile();
            if (taskFilePath().isEmpty())
                return false;
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

        // A file that cannot be opened runs the retry dialogue, so a task is
        // never dropped without the user knowing.
        File file =
            Global::OpenFile(Platform::resolveNoCase(state().path), File::Binary | File::Write);
        if (!file.isOpen())
            return false;
        appendTask(file, Task);
        return true;
    });
}

void appendTask(Platform::File& file, const IndexTask& task)
{
    file.lockForAppending();
    // Carrying out the tasks replaces the file whole: a task appended to the
    // file it replaced would be lost, so it goes to the new one.
    while (!file.isAt(file.path())) {
        const QString path = file.path();
        file = File::open(path, File::Binary | File::Write);
        file.lockForAppending();
    }
    // A file removed since it was checked comes back empty: it gets its
    // header before the task.
    if (file.size() == 0)
        file.writeAt(1, DataFiles::headerBytes(IndexTaskFileKind));
    file.append(DataFiles::recordBytes(task));
    file.close();
}

} // namespace Indexing
