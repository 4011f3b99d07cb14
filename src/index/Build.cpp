// SPDX-License-Identifier: GPL-3.0-or-later
#include "Build.h"

#include "IndexWriter.h"
#include "OpenIndex.h"
#include "Packing.h"
#include "datafiles/DataFile.h"
#include "datafiles/FileInfoFile.h"
#include "datafiles/ProfileFile.h"
#include "platform/FileSystem.h"
#include "shared/Files.h"
#include "shared/Formatting.h"
#include "shared/Messages.h"
#include "shared/Paths.h"
#include "shared/Values.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace Indexing {

using DataFiles::FileInfoRecord;
using DataFiles::ProfileRecord;
using Platform::File;
using Platform::RunTimeError;

namespace {

constexpr int IndexCount = 4;
// An empty index has one third-level table for each of these steps.
constexpr int BuildSteps = 400;
// The share of the progress bar that making the empty indexes takes; the
// tree walk has the rest.
constexpr int BuildShare = 20;
constexpr qint64 RateLabelInterval = 5000; // milliseconds

// String numbers.
enum : int
{
    PathNotAccessible = 134,
    RequiredPathMissing = 135,
    CopyingIndex = 911,
    FoldersIndexed = 913,
    CouldNotCreateFile = 915,
};

const QChar ItemEnd(0);
const QChar SecondLine(1);
const QChar Separator(QLatin1Char('/'));
const QString FileInfoName = QStringLiteral("FileInfo.inf");
const QString ProfileName = QStringLiteral("Profile.pro");

bool rebuildingNow = false;

class RebuildingFlag
{
public:
    RebuildingFlag() { rebuildingNow = true; }
    ~RebuildingFlag() { rebuildingNow = false; }
    RebuildingFlag(const RebuildingFlag&) = delete;
    RebuildingFlag& operator=(const RebuildingFlag&) = delete;
};

void runEvents()
{
    Platform::uiHost().doEvents();
}

void setProgress(const BuildProgress& progress, int value)
{
    if (progress.setValue)
        progress.setValue(value);
}

void setLabel(const BuildProgress& progress, const QString& text)
{
    if (progress.setLabel)
        progress.setLabel(text);
}

QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && path.endsWith(Separator))
        path.chop(1);
    return path;
}

// The name and reference of a folder of the filing tree ("Smith [12-3]"); a
// folder whose name carries no reference gives an empty one.
void nameAndRef(const QString& folder, QString& name, QString& ref)
{
    Global::ResolveFolderName(folder, name, ref);
    if (!folder.endsWith(QLatin1Char(']')) ||
        folder.lastIndexOf(QLatin1Char('[')) < folder.lastIndexOf(Separator))
        ref.clear();
}

// Where a folder stands, for people: its path below the filing root with
// the references in brackets dropped ("Acme Ltd/Smith, John"); a folder
// outside the tree shows its whole path so.
QString locationOf(const QString& folder, const QString& root)
{
    QStringView relative(folder);
    if (!root.isEmpty() && folder.size() > root.size() && folder[root.size()] == Separator &&
        folder.startsWith(root))
        relative = relative.mid(root.size() + 1);
    QStringList names;
    for (const QStringView part : relative.split(Separator, Qt::SkipEmptyParts)) {
        QStringView name = part;
        const qsizetype open = part.lastIndexOf(QLatin1Char('['));
        if (open >= 0 && part.endsWith(QLatin1Char(']')))
            name = part.left(open).trimmed();
        if (!name.isEmpty())
            names << name.toString();
    }
    return names.join(Separator);
}

const QString& firstNonEmpty(const QString& a, const QString& b, const QString& c)
{
    return !a.isEmpty() ? a : !b.isEmpty() ? b : c;
}

// Values and displays of one index, pairwise, as AddToIndex takes them; a
// display is its first line, the character 1 and its second line.
struct Items
{
    QString values, displays;
    void add(const QString& value, const QString& first, const QString& second)
    {
        if (!values.isEmpty()) {
            values += ItemEnd;
            displays += ItemEnd;
        }
        values += value;
        displays += first;
        displays += SecondLine;
        displays += second;
    }
};

// What a folder gives the four indexes, from its data files already read.
// `ownerName` is the display name of the profile of the folder of kind 3 or
// 4 that holds it ("" when none does); `root` the filing tree's root.
FolderIndexValues gather(const QString& folder, const FileInfoRecord& info,
                         const ProfileRecord& profile, const QString& ownerName,
                         const QString& root)
{
    FolderIndexValues gathered;
    QString name;
    QString ref;
    nameAndRef(folder, name, ref);
    gathered.ref = ref.isEmpty() ? info.RealRef : ref;
    gathered.kind = info.FolderID != DataFiles::UnknownFolder ? info.FolderID : profile.kind;

    QString town;
    QString postcode;
    for (const DataFiles::ProfileAddress& address : profile.addresses) {
        if (!address.inUse)
            continue;
        if (town.isEmpty())
            town = address.town;
        if (postcode.isEmpty())
            postcode = address.postcode;
    }
    const QString& displayName = profile.displayName;

    Items items[IndexCount];
    Items& names = items[NameIndex - 1];
    switch (gathered.kind) {
    case DataFiles::FolderN:
        names.add(name, name, locationOf(folder, root));
        break;
    case DataFiles::FolderO: {
        const QString location =
            ownerName.isEmpty() && postcode.isEmpty() ? locationOf(folder, root) : QString();
        names.add(displayName, name, firstNonEmpty(ownerName, postcode, location));
        break;
    }
    case DataFiles::FolderC:
    case DataFiles::FolderF: {
        const QString location =
            town.isEmpty() && postcode.isEmpty() ? locationOf(folder, root) : QString();
        names.add(displayName, name, firstNonEmpty(town, postcode, location));
        break;
    }
    default:
        break;
    }
    if (names.values.isEmpty())
        names = Items();

    if (profile.indexFlag()) {
        for (const DataFiles::ProfileAddress& address : profile.addresses) {
            if (address.inUse && !address.postcode.isEmpty())
                items[PcodeIndex - 1].add(address.postcode, address.postcode, displayName);
        }
        for (const DataFiles::ProfileContactPoint& point : profile.contacts) {
            if (point.inUse() && !point.number.isEmpty())
                items[TelNumIndex - 1].add(point.number, point.number, displayName);
        }
        if (!profile.UD1.isEmpty())
            items[UD1Index - 1].add(profile.UD1, profile.UD1, displayName);
    }

    for (int i = 0; i < IndexCount; ++i) {
        gathered.values[i] = std::move(items[i].values);
        gathered.displays[i] = std::move(items[i].displays);
    }
    return gathered;
}

// A folder's data files are named whatever their case: the readers find
// them so.
FileInfoRecord readFileInfo(const QString& folder)
{
    return Routines_FileInfoFile::ReadFileInfo(folder + Separator + FileInfoName, true);
}

ProfileRecord readProfile(const QString& folder)
{
    return Routines_ProfileFile::ReadProfile(folder + Separator + ProfileName, true);
}

bool ownsFolders(const FileInfoRecord& info)
{
    return info.FolderID == DataFiles::FolderC || info.FolderID == DataFiles::FolderF;
}

// Nothing is stored for a folder without values or reference, or of a kind
// that is unknown or never indexed.
bool storesNothing(const QString& values, const QString& ref, qint16 kind)
{
    return values.isEmpty() || ref.isEmpty() || kind == DataFiles::UnknownFolder ||
           kind == DataFiles::NeverIndexed;
}

// The last reference packed: consecutive values of one folder pack it once.
// The kind is part of the key, since it is packed with the reference.
class PackedRefCache
{
public:
    const QByteArray& pack(const QString& ref, qint16 kind)
    {
        if (!m_valid || ref != m_ref || kind != m_kind) {
            qint16 flags = kind;
            m_packed = KwPack(ref, flags);
            m_ref = ref;
            m_kind = kind;
            m_valid = true;
        }
        return m_packed;
    }

private:
    QString m_ref;
    qint16 m_kind = 0;
    QByteArray m_packed;
    bool m_valid = false;
};

// Stores a folder's values, each with its display, in the order given; the
// lists are AddToIndex's (items ended by the character 0, the last one's
// optional).
void storeItems(IndexStorage& storage, int index, QString values, QString displays,
                QByteArrayView packedRef, qint16 kind, bool eventsPerValue)
{
    if (!values.endsWith(ItemEnd))
        values += ItemEnd;
    if (!displays.endsWith(ItemEnd))
        displays += ItemEnd;
    qsizetype nextValue = 0;
    qsizetype nextDisplay = 0;
    while (nextValue < values.size()) {
        const qsizetype valueEnd = values.indexOf(ItemEnd, nextValue);
        const QString value = values.mid(nextValue, valueEnd - nextValue);
        nextValue = valueEnd + 1;
        QString display;
        if (nextDisplay < displays.size()) {
            const qsizetype displayEnd = displays.indexOf(ItemEnd, nextDisplay);
            display = displays.mid(nextDisplay, displayEnd - nextDisplay);
            nextDisplay = displayEnd + 1;
        }
        storeValue(storage, index, value, display, packedRef, kind);
        if (eventsPerValue)
            runEvents();
    }
}

// The open-index cache of AddToIndex.
struct CachedIndex
{
    QString fileName;
    File file;
};

std::vector<CachedIndex>& openIndexes()
{
    static std::vector<CachedIndex> cache;
    return cache;
}

PackedRefCache& lastPackedRef()
{
    static PackedRefCache cache;
    return cache;
}

// An index named by its number ("2") or its file name ("Pcode", "pcode.bin");
// 0 for none.
int indexNumberOf(const QString& indexName)
{
    bool isNumber = false;
    const int number = indexName.trimmed().toInt(&isNumber);
    if (isNumber)
        return number >= NameIndex && number <= UD1Index ? number : 0;
    return indexNumber(indexName);
}

// Moves the progress as making the 400 third-level tables one by one would,
// reporting each value once.
void reportBuildSteps(const BuildProgress& progress, int from, int to)
{
    int shown = INT_MIN;
    for (int step = 1; step <= BuildSteps; ++step) {
        const int value = from + int(std::floor(double(step) / BuildSteps * (to - from)));
        if (value != shown) {
            shown = value;
            setProgress(progress, value);
            runEvents();
        }
    }
}

// The root of the filing tree. A setting that names a folder inside the
// tree stands for the tree's root, as when references are resolved.
QString filingRootPath()
{
    QString root = withoutTrailingSeparator(Global::GetDataFolder(QStringLiteral("FilingFolder")));
    while (root.contains(QLatin1Char('[')) && root.contains(QLatin1Char(']')))
        root = Global::FormatFilename(root, QStringLiteral("L"));
    return root;
}

// The root of the filing tree, or "" after a message when it cannot be
// walked.
QString filingRoot()
{
    const QString root = filingRootPath();
    if (root.isEmpty()) {
        Global::showMessage(RequiredPathMissing, {QStringLiteral("Filing")},
                            Platform::MsgButtons::Ok, Platform::MsgIcon::Exclamation,
                            Global::Str::TitleWarning);
        return {};
    }
    if (!Global::FolderExists(root)) {
        Global::showMessage(PathNotAccessible, {root}, Platform::MsgButtons::Ok,
                            Platform::MsgIcon::Exclamation, Global::Str::TitleWarning);
        return {};
    }
    return root;
}

// One folder of the tree as the reading thread hands it on.
struct ReadFolder
{
    QString path;
    FileInfoRecord info;
    ProfileRecord profile;
    // The display name of the profile of the folder of kind 3 or 4 that
    // holds this one, "" when none does.
    QString ownerName;
    // The error references of reads that failed, to be reported in order.
    QStringList faults;
    // Which of the root's sub-folders it lies in, counting from 0.
    int top = 0;
};

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

// Reads the filing tree ahead of the walk on a thread of its own: the
// listings and the data files of each folder, in the walk's order. The
// thread touches nothing but the file system; everything else (settings,
// messages, the indexes) stays on the user-interface thread, which takes the
// folders as they come. Folders go over in batches, so that the two threads
// meet seldom.
class TreeReader
{
public:
    enum class Next
    {
        Folder,
        Waiting, // nothing ready yet
        Finished
    };

    explicit TreeReader(QString root) : m_root(std::move(root))
    {
        m_filling.reserve(BatchSize);
        m_thread = std::thread([this] { run(); });
    }
    ~TreeReader() { stop(); }
    TreeReader(const TreeReader&) = delete;
    TreeReader& operator=(const TreeReader&) = delete;

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
            const QStringList tops =
                Platform::listEntries(m_root, u"*", Platform::EntryKind::Folders);
            m_tops = int(tops.size());
            for (qsizetype i = 0; i < tops.size() && !m_stop; ++i)
                read(m_root + Separator + tops[i], QString(), int(i));
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
        const QStringList subs = Platform::listEntries(path, u"*", Platform::EntryKind::Folders);
        if (m_filling.size() >= BatchSize || m_since.elapsed() >= BatchTime)
            send();
        for (const QString& sub : subs) {
            if (m_stop)
                return;
            read(path + Separator + sub, owner, top);
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
    std::atomic<bool> m_stop = false;
    bool m_done = false;
    std::exception_ptr m_fault;
    // The reading thread's own.
    Batch m_filling;
    QElapsedTimer m_since;
    // The user-interface thread's own.
    Batch m_batch;
    std::size_t m_taken = 0;
    std::thread m_thread;
};

// Walks the filing tree below its root: each folder first, then its
// sub-folders, in the order of their names; every folder's data files are
// read once and their values handed on for all four indexes. The event queue
// runs between folders, at most every few milliseconds, and while the
// reading thread has none ready.
class TreeWalk
{
public:
    using Visit = std::function<void(const FolderIndexValues&)>;

    TreeWalk(QString root, const BuildProgress& progress, Visit visit)
        : m_root(std::move(root)), m_progress(progress), m_visit(std::move(visit))
    {}

    // False when the caller stopped the walk.
    bool run()
    {
        m_clock.start();
        TreeReader reader(m_root);
        int topsDone = 0;
        for (;;) {
            const ReadFolder* folder = nullptr;
            const TreeReader::Next next = reader.next(folder, EventInterval);
            if (next == TreeReader::Next::Finished)
                break;
            if (folder) {
                // The folders of the root's earlier sub-folders are all in.
                while (topsDone < folder->top)
                    topDone(++topsDone, reader.tops());
            } else {
                runEvents();
            }
            if (m_progress.stopRequested && m_progress.stopRequested()) {
                m_stopped = true;
                break;
            }
            if (folder)
                visit(*folder);
        }
        reader.rethrowFault();
        if (!m_stopped) {
            while (topsDone < reader.tops())
                topDone(++topsDone, reader.tops());
        }
        setLabel(m_progress, QString());
        return !m_stopped;
    }

private:
    static constexpr int EventInterval = 50;  // milliseconds
    static constexpr qint64 EventsEvery = 10; // milliseconds

    void visit(const ReadFolder& folder)
    {
        for (const QString& fault : folder.faults)
            Global::ReportError(fault);
        m_visit(gather(folder.path, folder.info, folder.profile, folder.ownerName, m_root));
        ++m_folders;
        showRate();
        // Often enough for the window to keep answering; at every folder it
        // would cost more than the folder itself.
        const qint64 now = m_clock.elapsed();
        if (now - m_lastEvents >= EventsEvery) {
            m_lastEvents = now;
            runEvents();
        }
    }

    void topDone(int done, int tops)
    {
        setProgress(m_progress, BuildShare + done * (100 - BuildShare) / tops);
        runEvents();
    }

    void showRate()
    {
        const qint64 now = m_clock.elapsed();
        if (now - m_lastLabel < RateLabelInterval)
            return;
        m_lastLabel = now;
        const double perSecond = now > 0 ? m_folders * 1000.0 / double(now) : 0.0;
        setLabel(m_progress,
                 Global::ResolveRes(FoldersIndexed, {Global::formatNumber(m_folders, u"#,###,##0"),
                                                     Global::formatNumber(perSecond, u"#,##0")}));
    }

    QString m_root;
    const BuildProgress& m_progress;
    Visit m_visit;
    QElapsedTimer m_clock;
    qint64 m_lastLabel = 0;
    qint64 m_lastEvents = 0;
    int m_folders = 0;
    bool m_stopped = false;
};

// True when the file is an index by its header (whatever its flag); only
// such a file is locked while its successor is built. A missing or damaged
// file has no readers to keep out.
bool isIndexFile(const QString& path)
{
    const QString resolved = Platform::resolveNoCase(path);
    if (!QFileInfo(resolved).isFile())
        return false;
    QByteArray header;
    try {
        File file = File::open(resolved, File::Binary | File::Read);
        header = file.readAt(1, FlagPosition - 1);
    } catch (const RunTimeError&) {
        return false;
    }
    return DataFiles::checkHeader(header, IndexFileKind).verdict == DataFiles::HeaderVerdict::Good;
}

// One index of a rebuild: its real file and its new image. A real file that
// is still locked when the rebuild ends (stopped, failed, or faulted) is
// freed, keeping its old contents.
struct RebuiltIndex
{
    int number = 0;
    QString path;
    MemoryIndex image;
    bool locked = false;

    RebuiltIndex(int n, QString p) : number(n), path(std::move(p)) {}
    RebuiltIndex(const RebuiltIndex&) = delete;
    RebuiltIndex& operator=(const RebuiltIndex&) = delete;
    ~RebuiltIndex()
    {
        if (locked)
            sub_LockForMaintenance(path, 0);
    }
};

} // namespace

bool rebuildingIndex()
{
    return rebuildingNow;
}

bool BuildIndexFile(const BuildProgress& ProgressBar, const QString& IndexName, qint16 ProgressFrom,
                    qint16 ProgressTo)
{
    return Global::guarded("Indexing:BuildIndexFile", [&] {
        const int number = indexNumberOf(IndexName);
        if (number == 0)
            return false;
        // Written whole beside the old file and renamed over it: a reader
        // meets the old index or the new one.
        try {
            DataFiles::writeFileAtomically(indexPath(indexFolder(), number), emptyIndexBytes());
        } catch (const RunTimeError&) {
            Global::showText(Global::ResolveRes(CouldNotCreateFile), Platform::MsgButtons::Ok,
                             Platform::MsgIcon::None, Global::applicationTitle());
            return false;
        }
        Global::BusyPointerScope busy;
        reportBuildSteps(ProgressBar, ProgressFrom, ProgressTo);
        return true;
    });
}

bool AddToIndex(int IndexNo, QString Values, QString Displays, const QString& Ref, qint16 Kind,
                bool AllowMessages, bool KeepOpen)
{
    return Global::guarded("Indexing:AddToIndex", [&] {
        std::vector<CachedIndex>& cache = openIndexes();
        if (IndexNo == -1) {
            for (CachedIndex& cached : cache)
                cached.file.close();
            cache.clear();
            return true;
        }
        if (IndexNo < NameIndex || IndexNo > UD1Index || storesNothing(Values, Ref, Kind))
            return false;
        const QByteArray packedRef = lastPackedRef().pack(Ref, Kind);

        const QString fileName = indexPath(indexFolder(), IndexNo);
        File once;
        File* file = nullptr;
        if (KeepOpen) {
            for (CachedIndex& cached : cache) {
                if (cached.fileName == fileName)
                    file = &cached.file;
            }
        }
        if (!file) {
            OpenOutcome opened = OpenIndex(fileName, !AllowMessages);
            if (!opened.usable())
                return false;
            if (KeepOpen) {
                cache.push_back({fileName, std::move(opened.file)});
                file = &cache.back().file;
            } else {
                once = std::move(opened.file);
                file = &once;
            }
        }
        FileStorage storage(*file);
        storeItems(storage, IndexNo, std::move(Values), std::move(Displays), packedRef, Kind, true);
        if (!KeepOpen)
            once.close();
        return true;
    });
}

FolderIndexValues gatherIndexValues(const QString& Folder)
{
    const QString folder = withoutTrailingSeparator(Folder);
    const FileInfoRecord info = readFileInfo(folder);
    const ProfileRecord profile = readProfile(folder);
    QString ownerName;
    const qint16 kind = info.FolderID != DataFiles::UnknownFolder ? info.FolderID : profile.kind;
    const qsizetype slash = folder.lastIndexOf(Separator);
    if (kind == DataFiles::FolderO && slash > 0) {
        const QString owner = Routines_FileInfoFile::findOwningFolder(folder.left(slash));
        if (!owner.isEmpty())
            ownerName = readProfile(owner).displayName;
    }
    return gather(folder, info, profile, ownerName, filingRootPath());
}

void PrepareForIndex(int IndexNo, const QString& Folder, QString& Values, QString& Displays,
                     QString& Ref, qint16& Kind)
{
    Values.clear();
    Displays.clear();
    Ref.clear();
    Kind = 0;
    Global::guarded("Indexing:PrepareForIndex", [&] {
        FolderIndexValues gathered = gatherIndexValues(Folder);
        Ref = gathered.ref;
        Kind = gathered.kind;
        if (IndexNo >= NameIndex && IndexNo <= UD1Index) {
            Values = std::move(gathered.values[IndexNo - 1]);
            Displays = std::move(gathered.displays[IndexNo - 1]);
        }
    });
}

// Runs a rebuild's body under its error handler, with the busy pointer and
// the rebuilding flag, once the filing tree's root is known; no fields is
// nothing to do.
template <typename Body>
bool rebuild(const QList<qint16>& Fields, Body&& body)
{
    return Global::guarded("Indexing:RebuildIndexFile", [&] {
        if (Fields.isEmpty())
            return true;
        Global::BusyPointerScope busy;
        RebuildingFlag rebuilding;
        const QString root = filingRoot();
        return !root.isEmpty() && body(root);
    });
}

bool RebuildIndexFile(const BuildProgress& ProgressBar, QList<qint16> Fields)
{
    return rebuild(Fields, [&](const QString& root) {
        // Each new index is built in memory while its real file is shut to
        // other users; the real file keeps serving nobody but stays whole.
        const QString folder = indexFolder();
        const int share = BuildShare / int(Fields.size());
        std::vector<std::unique_ptr<RebuiltIndex>> indexes;
        for (qsizetype k = 0; k < Fields.size(); ++k) {
            setProgress(ProgressBar, std::max(0, int(k) * share + share - 1));
            runEvents();
            const int number = Fields[k];
            if (number < NameIndex || number > UD1Index)
                continue;
            auto index = std::make_unique<RebuiltIndex>(
                number, Platform::resolveNoCase(indexPath(folder, number)));
            if (isIndexFile(index->path)) {
                sub_LockForMaintenance(index->path, MaintenanceFlag);
                index->locked = true;
            }
            indexes.push_back(std::move(index));
        }

        PackedRefCache packer;
        TreeWalk walk(root, ProgressBar, [&](const FolderIndexValues& folderValues) {
            for (const auto& index : indexes) {
                const QString& values = folderValues.values[index->number - 1];
                if (storesNothing(values, folderValues.ref, folderValues.kind))
                    continue;
                storeItems(
                    index->image, index->number, values, folderValues.displays[index->number - 1],
                    packer.pack(folderValues.ref, folderValues.kind), folderValues.kind, false);
            }
        });
        // A stopped walk leaves every real file as it was; the destructors
        // free them.
        if (!walk.run())
            return false;

        bool written = true;
        for (const auto& index : indexes) {
            setLabel(ProgressBar, Global::ResolveRes(CopyingIndex, {IndexTitle(index->path)}));
            runEvents();
            try {
                // The new bytes carry the flag 0: the rename frees the index.
                DataFiles::writeFileAtomically(index->path, index->image.bytes());
                index->locked = false;
            } catch (const RunTimeError& error) {
                Global::ReportError(QStringLiteral("Indexing:RebuildIndexFile  Error:") +
                                    error.description());
                written = false;
            }
        }
        setLabel(ProgressBar, QString());
        return written;
    });
}

bool rebuildRecordByRecord(const BuildProgress& ProgressBar, QList<qint16> Fields)
{
    return rebuild(Fields, [&](const QString& root) {
        const int share = BuildShare / int(Fields.size());
        for (qsizetype k = 0; k < Fields.size(); ++k) {
            const int from = int(k) * share;
            if (!BuildIndexFile(ProgressBar, QString::number(Fields[k]), qint16(from),
                                qint16(std::max(0, from + share - 1))))
                Fields[k] = 0;
        }
        struct CloseCache
        {
            ~CloseCache() { AddToIndex(-1, {}, {}, {}, 0, false); }
        } closeCache;
        TreeWalk walk(root, ProgressBar, [&](const FolderIndexValues& folderValues) {
            for (const qint16 field : std::as_const(Fields)) {
                if (field == 0)
                    continue;
                AddToIndex(field, folderValues.values[field - 1], folderValues.displays[field - 1],
                           folderValues.ref, folderValues.kind, true, true);
            }
        });
        return walk.run();
    });
}

} // namespace Indexing
