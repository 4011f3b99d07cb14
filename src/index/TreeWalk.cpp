// SPDX-License-Identifier: GPL-3.0-or-later
#include "TreeWalk.h"

#include "Storing.h"
#include "datafiles/DataFile.h"
#include "platform/FileSystem.h"
#include "platform/RunTimeError.h"
#include "platform/UiHost.h"
#include "shared/Messages.h"
#include "shared/Values.h"

#include <QFileInfo>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

namespace Indexing {

using DataFiles::FileInfoRecord;
using DataFiles::ProfileRecord;
using Platform::RunTimeError;

namespace {

constexpr qint64 RateLabelInterval = 5000; // milliseconds
constexpr int EventInterval = 50;          // milliseconds
constexpr qint64 EventsEvery = 10;         // milliseconds

// String numbers.
enum : int
{
    FoldersIndexed = 913,
    FoldersIndexedLinksSkipped = 918,
};

const QChar Separator(QLatin1Char('/'));

void runEvents()
{
    Platform::uiHost().doEvents();
}

// What ReadFileInfo and ReadProfile give when quiet, read on a thread that
// may not show anything: a fault comes back as the reference that those
// readers report, for the user-interface thread to report.
template <class Record>
void readQuietly(const QString& path, const DataFiles::FileKind& kind, const char* where,
                 QStringList& faults, Record& record)
{
    try {
        if (const auto file = DataFiles::loadDataFile(path, kind, true))
            DataFiles::readRecord(file->bytes, file->position, record);
    } catch (const RunTimeError& error) {
        faults << QLatin1String(where) + QLatin1String("  Error:") + error.description();
        record = Record();
    } catch (const std::bad_alloc&) {
        faults << QLatin1String(where) + QLatin1String("  Error:") +
                      RunTimeError::describe(RunTimeError::OutOfMemory);
        record = Record();
    }
}

// Folders told apart by device and inode.
struct IdentityHash
{
    std::size_t operator()(const Platform::FolderIdentity& identity) const
    {
        return std::hash<quint64>()(identity.inode * 31 + identity.device);
    }
};
struct SameFolder
{
    bool operator()(const Platform::FolderIdentity& a, const Platform::FolderIdentity& b) const
    {
        return a.device == b.device && a.inode == b.inode;
    }
};

// True when `path` is `folder` or lies below it.
bool within(const QString& path, const QString& folder)
{
    return path == folder ||
           path.startsWith(folder.endsWith(Separator) ? folder : folder + Separator);
}

} // namespace

// One folder of the tree as the reading thread hands it on.
struct TreeWalk::ReadFolder
{
    QString path;
    FileInfoRecord info;
    ProfileRecord profile;
    // The display name of the profile of the folder of kind 3 or 4 that
    // holds this one, "" when none does.
    QString ownerName;
    // The error references of reads that failed, to be reported in order.
    QStringList faults;
    // The fault that kept its sub-folders from being listed, 0 for none.
    int listFault = 0;
    // Which of the root's sub-folders it lies in, counting from 0.
    int top = 0;
};

// Reads the filing tree ahead of the walk on a thread of its own: the
// listings and the data files of each folder, in the walk's order. The
// thread touches nothing but the file system; everything else (settings,
// messages, the indexes) stays on the user-interface thread, which takes the
// folders as they come. Folders go over in batches, so that the two threads
// meet seldom.
class TreeWalk::Reader
{
public:
    enum class Next
    {
        Folder,
        Waiting, // nothing ready yet
        Finished
    };

    explicit Reader(QString root) : m_root(std::move(root))
    {
        m_filling.reserve(BatchSize);
        m_thread = std::thread([this] { run(); });
    }
    ~Reader() { stop(); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // The next folder, waiting at most `milliseconds` for it; it stays
    // valid until the next call.
    Next next(const ReadFolder*& folder, int milliseconds)
    {
        if (m_taken == m_batch.size()) {
            std::unique_lock lock(m_mutex);
            if (!m_ready.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                  [&] { return !m_queue.empty() || m_done; }))
                return Next::Waiting;
            if (m_queue.empty())
                return Next::Finished;
            // The folders read are freed on the thread that made them, which
            // keeps the two threads' memory apart.
            if (!m_batch.empty())
                m_spent.push_back(std::move(m_batch));
            m_batch = std::move(m_queue.front());
            m_queue.pop_front();
            m_taken = 0;
            m_room.notify_one();
        }
        folder = &m_batch[m_taken++];
        return Next::Folder;
    }

    // The number of the root's sub-folders, once the first folder or the end
    // has come.
    int tops() const { return m_tops; }
    // The folders skipped so far because the walk has been or will be in
    // them by another path.
    int skipped() const { return m_skipped; }
    // After the end: the fault that kept the root from being listed, 0 for
    // none.
    int rootFault() const { return m_rootFault; }

    // Ends the reading and waits for the thread.
    void stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_room.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    // After the end: a fault the thread could not hand on as a reference is
    // thrown here.
    void rethrowFault()
    {
        stop();
        if (m_fault)
            std::rethrow_exception(std::exchange(m_fault, nullptr));
    }

private:
    using Batch = std::vector<ReadFolder>;
    static constexpr std::size_t BatchSize = 64;
    static constexpr qint64 BatchTime = 20; // milliseconds: a slow tree still shows progress
    static constexpr std::size_t Batches = 8;

    void run()
    {
        try {
            m_realRoot = QFileInfo(m_root).canonicalFilePath();
            if (const auto root = Platform::folderIdentity(m_root))
                m_visited.insert(*root);
            const QList<Platform::FolderEntry> tops =
                Platform::listFolders(m_root, u"*", &m_rootFault);
            m_tops = int(tops.size());
            for (qsizetype i = 0; i < tops.size() && !m_stop; ++i) {
                const QString path = m_root + Separator + tops[i].name;
                if (enter(path, tops[i].identity))
                    read(path, QString(), int(i));
            }
            send();
        } catch (...) {
            m_fault = std::current_exception();
        }
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_ready.notify_all();
    }

    // True when the walk goes into the folder at `path`: the first time it
    // meets the folder, and not by a link that leads back into the tree or
    // above it.
    bool enter(const QString& path, const Platform::FolderIdentity& identity)
    {
        if (identity.link) {
            const QString target = QFileInfo(path).canonicalFilePath();
            if (target.isEmpty() || within(target, m_realRoot) || within(m_realRoot, target)) {
                ++m_skipped;
                return false;
            }
        }
        if (!m_visited.insert(identity).second) {
            ++m_skipped;
            return false;
        }
        return true;
    }

    void read(const QString& path, const QString& ownerName, int top)
    {
        // Read in place: a profile is too large a record to move about.
        if (m_filling.empty())
            m_since.start();
        ReadFolder& folder = m_filling.emplace_back();
        folder.path = path;
        folder.ownerName = ownerName;
        folder.top = top;
        readQuietly(path + Separator + FileInfoName, DataFiles::FileInfoFileKind,
                    "Routines_FileInfoFile:ReadFileInfo", folder.faults, folder.info);
        readQuietly(path + Separator + ProfileName, DataFiles::ProfileFileKind,
                    "Routines_ProfileFile:ReadProfile", folder.faults, folder.profile);
        const QString owner = ownsFolders(folder.info) ? folder.profile.displayName : ownerName;
        const QList<Platform::FolderEntry> subs =
            Platform::listFolders(path, u"*", &folder.listFault);
        if (m_filling.size() >= BatchSize || m_since.elapsed() >= BatchTime)
            send();
        for (const Platform::FolderEntry& sub : subs) {
            if (m_stop)
                return;
            const QString subPath = path + Separator + sub.name;
            if (enter(subPath, sub.identity))
                read(subPath, owner, top);
        }
    }

    void send()
    {
        if (m_filling.empty())
            return;
        std::vector<Batch> spent;
        {
            std::unique_lock lock(m_mutex);
            m_room.wait(lock, [&] { return m_queue.size() < Batches || m_stop; });
            if (m_stop)
                return;
            m_queue.push_back(std::move(m_filling));
            spent.swap(m_spent);
            m_ready.notify_one();
        }
        m_filling = Batch();
        m_filling.reserve(BatchSize);
    }

    const QString m_root;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::condition_variable m_room;
    std::deque<Batch> m_queue;
    std::vector<Batch> m_spent; // taken by the user-interface thread, to be freed here
    std::atomic<int> m_tops = 0;
    std::atomic<int> m_skipped = 0;
    std::atomic<bool> m_stop = false;
    bool m_done = false;
    std::exception_ptr m_fault;
    int m_rootFault = 0;
    // The reading thread's own.
    Batch m_filling;
    QElapsedTimer m_since;
    QString m_realRoot;
    std::unordered_set<Platform::FolderIdentity, IdentityHash, SameFolder> m_visited;
    // The user-interface thread's own.
    Batch m_batch;
    std::size_t m_taken = 0;
    std::thread m_thread;
};

TreeWalk::TreeWalk(QString root, const BuildProgress& progress, Visit visit)
    : m_root(std::move(root)), m_progress(progress), m_visit(std::move(visit))
{}

bool TreeWalk::run()
{
    m_clock.start();
    Reader reader(m_root);
    int topsDone = 0;
    bool stopped = false;
    for (;;) {
        const ReadFolder* folder = nullptr;
        const Reader::Next next = reader.next(folder, EventInterval);
        if (next == Reader::Next::Finished)
            break;
        if (folder) {
            // The folders of the root's earlier sub-folders are all in.
            while (topsDone < folder->top)
                topDone(++topsDone, reader.tops());
        } else {
            runEvents();
        }
        if (m_progress.stopped()) {
            stopped = true;
            break;
        }
        if (folder) {
            visit(*folder);
            showRate(reader.skipped(), false);
        }
    }
    reader.rethrowFault();
    if (reader.rootFault() != 0)
        m_progress.unreadable(m_root, RunTimeError::describe(reader.rootFault()));
    if (stopped) {
        m_progress.label(QString());
        return false;
    }
    while (topsDone < reader.tops())
        topDone(++topsDone, reader.tops());
    // The folders skipped stay in view until the next step of the rebuild.
    if (reader.skipped() > 0)
        showRate(reader.skipped(), true);
    else
        m_progress.label(QString());
    return true;
}

void TreeWalk::visit(const ReadFolder& folder)
{
    for (const QString& fault : folder.faults)
        Global::ReportError(fault);
    if (folder.listFault != 0)
        m_progress.unreadable(folder.path, RunTimeError::describe(folder.listFault));
    const FolderIndexValues values =
        gatherIndexValues(folder.path, folder.info, folder.profile, folder.ownerName, m_root);
    if (referenceFits(values, folder.path))
        m_visit(values);
    ++m_folders;
    // Often enough for the window to keep answering; at every folder it
    // would cost more than the folder itself.
    const qint64 now = m_clock.elapsed();
    if (now - m_lastEvents >= EventsEvery) {
        m_lastEvents = now;
        runEvents();
    }
}

void TreeWalk::topDone(int done, int tops)
{
    m_progress.value(BuildShare + done * (100 - BuildShare) / tops);
    runEvents();
}

void TreeWalk::showRate(int skipped, bool now)
{
    const qint64 elapsed = m_clock.elapsed();
    if (!now && elapsed - m_lastLabel < RateLabelInterval)
        return;
    m_lastLabel = elapsed;
    const double perSecond = elapsed > 0 ? m_folders * 1000.0 / double(elapsed) : 0.0;
    QVariantList values{Global::formatNumber(m_folders, u"#,###,##0"),
                        Global::formatNumber(perSecond, u"#,##0")};
    if (skipped > 0)
        values << Global::formatNumber(skipped, u"#,###,##0");
    m_progress.label(
        Global::ResolveRes(skipped > 0 ? FoldersIndexedLinksSkipped : FoldersIndexed, values));
}

} // namespace Indexing
