// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TaskFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// Carrying out the outstanding index tasks: the folders queued in the task
// file are added to the indexes, so that a new folder is found by the next
// search.
namespace Indexing {

// The tasks of a task file's bytes, in file order, up to the last whole
// record; `end` is the position after it. Nothing for a file whose header is
// not the task file's.
struct TaskList
{
    std::vector<IndexTask> tasks;
    std::vector<qint64> ends; // the position after each task
    bool goodHeader = false;
    qint64 end = 1;
};
TaskList parseTasks(QByteArrayView bytes);

// The tasks waiting in the task file (none when it is missing).
TaskList outstandingTasks();

// What carrying out the tasks did.
struct TaskRunReport
{
    int done = 0;         // added to the indexes and removed from the file
    QStringList refsDone; // the references of those tasks, in file order
    int dropped = 0;      // their folder has gone: removed with a line each
    int otherModes = 0;   // queued in another settings mode: left in the file
    // An index or the task file was in use (by a rebuild, another user
    // carrying out the tasks, or a lock for maintenance): nothing was done.
    bool busy = false;
    // A file could not be read or written: nothing more was done.
    bool failed = false;
    QStringList lines; // what the user is told, a line each
};

// Carries out the tasks of the current settings mode. A task's folder is
// the path it holds or, where that names no folder (the task file holds
// Windows-1252, so a path with other characters comes back with "?" in their
// places; or the folder has moved), the folder that its reference names in
// the New Contacts folder or the filing tree; a task is dropped only when
// neither finds it. For each index, the tasks' folders are gathered afresh
// and stored in an image of the index in memory (their earlier entries taken
// out first), which then replaces the real file whole; meanwhile each real
// index is held by an exclusive claim (as a rebuild holds it) that keeps
// rebuilds and other task runs out, but its maintenance flag stays as it is,
// so other users' searches go on and see the old index or the new one. A
// missing index is left out; one under maintenance or claimed makes the run
// busy. Then the tasks done and those of gone folders are removed from the
// task file, which is replaced whole while appends wait, keeping the tasks
// appended meanwhile and those of other modes. A file that cannot be read or
// written is named in a message that says what to do (showFileFault).
TaskRunReport RunIndexTasks();

// The finder's DO button ("Do outstanding tasks"): the tasks carried out
// under the busy pointer, then a note of what was done (961), of tasks
// dropped (960), or that the indexes are in use (962); 963 when there was
// nothing to do. A fault has been reported already.
void DoOutstandingTasks();

// The setting that makes a new contact's tasks run as soon as it is made
// ("Config" "IndexNewFoldersAtOnce", a switch, on when missing).
bool runTasksAtOnce();

} // namespace Indexing
