// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Build.h"
#include "FolderValues.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>

namespace Indexing {

// The share of a rebuild's progress that making the empty indexes takes; the
// walk has the rest.
inline constexpr int BuildShare = 20;

// Walks the filing tree below its root for a rebuild: each folder first,
// then its sub-folders, in the order of their names; every folder's data
// files are read once and its values handed to `visit` for all four indexes.
// The tree is read ahead on a thread of its own that touches only the file
// system; faults of its reads, messages, progress and `visit` stay on the
// calling thread (the user-interface thread), where the event queue runs
// between folders, at most every few milliseconds, and while the reading
// thread has none ready.
//
// Each real folder is walked once, however many paths lead to it: a link to
// a folder of the tree, or to a folder above it, is skipped (the folder is
// walked by its own path), and the progress says how many were. A link that
// leads out of the tree is followed. A folder that cannot be listed (the
// root too) is told to the progress (BuildProgress::unreadable).
class TreeWalk
{
public:
    using Visit = std::function<void(const FolderIndexValues&)>;

    TreeWalk(QString root, const BuildProgress& progress, Visit visit);

    // False when the caller stopped the walk.
    bool run();

private:
    class Reader;
    struct ReadFolder;

    void visit(const ReadFolder& folder);
    void topDone(int done, int tops);
    void showRate(int skipped, bool now);

    QString m_root;
    const BuildProgress& m_progress;
    Visit m_visit;
    QElapsedTimer m_clock;
    qint64 m_lastLabel = 0;
    qint64 m_lastEvents = 0;
    int m_folders = 0;
};

} // namespace Indexing
