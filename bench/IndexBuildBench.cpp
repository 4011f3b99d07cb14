// SPDX-License-Identifier: GPL-3.0-or-later
// Building the contact index on demo workspaces of 10,000 and 100,000
// people, each beside its baseline in the same run:
//   WriteIndex  the four indexes written in memory from values gathered
//               beforehand, against
//   WriteFts5   the same values inserted into an SQLite FTS5 table with the
//               trigram tokenizer, in memory, in one transaction;
//   Rebuild     the whole rebuild of the four indexes (walk, gathering,
//               writing, replacing the files), against
//   ReadTree    reading every FileInfo.inf and Profile.pro of the tree once
//               over a listing of the tree.
// The ratios to read: WriteIndex / WriteFts5 (at most 1) and Rebuild /
// ReadTree (at most 1.5).
//
// Making a workspace of 100,000 people takes minutes; with
// VANTIX_BENCH_WORKSPACES set to a folder, the workspaces are kept there and
// used again by later runs.
#include "datafiles/FileInfoFile.h"
#include "datafiles/ProfileFile.h"
#include "demo/Demo.h"
#include "index/Build.h"
#include "index/IndexWriter.h"
#include "index/OpenIndex.h"
#include "index/Packing.h"
#include "platform/FileSystem.h"
#include "platform/RegistryHive.h"
#include "shared/Paths.h"
#include "shared/Settings.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// One value to store: what AddToIndex would store for one item of a folder.
struct Value
{
    int index;
    QString value;
    QString display;
    QByteArray packedRef;
    qint16 kind;
};

struct Workspace
{
    QTemporaryDir dir;
    Demo::DemoSummary made; // only its folder and hive when kept from a run before
    QStringList folders;    // every folder below the filing root, in walk order
    std::vector<Value> values;
};

void listTree(const QString& folder, QStringList& into)
{
    for (const QString& sub : Platform::listEntries(folder, u"*", Platform::EntryKind::Folders)) {
        const QString path = folder + u'/' + sub;
        into << path;
        listTree(path, into);
    }
}

QString filingFolder(const Workspace& workspace)
{
    return workspace.made.folder + QStringLiteral("/Filing");
}

void use(const Workspace& workspace)
{
    Global::setSettingsHive(Platform::RegistryHive::open(workspace.made.registry));
    Global::GetDataFolder(QString(), true);
    Indexing::setIndexFolder(workspace.made.folder + QStringLiteral("/Index"));
}

// Made once per run and size.
const Workspace& workspace(int contacts)
{
    static std::map<int, std::unique_ptr<Workspace>> made;
    std::unique_ptr<Workspace>& slot = made[contacts];
    if (slot)
        return *slot;
    slot = std::make_unique<Workspace>();
    Workspace& w = *slot;
    Demo::DemoOptions options;
    options.contacts = contacts;
    options.emailsPerJob = 0;
    const QString kept = qEnvironmentVariable("VANTIX_BENCH_WORKSPACES");
    const QString folder = kept.isEmpty()
                               ? w.dir.filePath(QStringLiteral("ws"))
                               : kept + QStringLiteral("/contacts-") + QString::number(contacts);
    if (QFileInfo::exists(folder + QStringLiteral("/registry.sqlite3"))) {
        w.made.folder = folder;
        w.made.registry = folder + QStringLiteral("/registry.sqlite3");
    } else {
        w.made = Demo::createWorkspace(folder, options);
    }
    use(w);
    listTree(filingFolder(w), w.folders);
    for (const QString& path : std::as_const(w.folders)) {
        const Indexing::FolderIndexValues gathered = Indexing::gatherIndexValues(path);
        if (gathered.ref.isEmpty() || gathered.kind == 0 || gathered.kind == 5)
            continue;
        qint16 flags = gathered.kind;
        const QByteArray packedRef = Indexing::KwPack(gathered.ref, flags);
        for (int index = 1; index <= 4; ++index) {
            if (gathered.values[index - 1].isEmpty())
                continue;
            const QStringList values = gathered.values[index - 1].split(QChar(0));
            const QStringList displays = gathered.displays[index - 1].split(QChar(0));
            for (qsizetype i = 0; i < values.size(); ++i)
                w.values.push_back({index, values[i], displays.value(i), packedRef, gathered.kind});
        }
    }
    return w;
}

void setCounters(benchmark::State& state, const Workspace& w)
{
    state.counters["folders"] = double(w.folders.size());
    state.counters["values"] = double(w.values.size());
}

void BM_WriteIndex(benchmark::State& state)
{
    const Workspace& w = workspace(int(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        std::vector<Indexing::MemoryIndex> images(4);
        for (const Value& v : w.values)
            Indexing::storeValue(images[v.index - 1], v.index, v.value, v.display, v.packedRef,
                                 v.kind);
        bytes = 0;
        for (const Indexing::MemoryIndex& image : images)
            bytes += image.bytes().size();
        benchmark::DoNotOptimize(bytes);
    }
    setCounters(state, w);
    state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_WriteIndex)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

void check(int result, sqlite3* db)
{
    if (result != SQLITE_OK && result != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(db));
}

void BM_WriteFts5(benchmark::State& state)
{
    const Workspace& w = workspace(int(state.range(0)));
    for (auto _ : state) {
        sqlite3* db = nullptr;
        check(sqlite3_open(":memory:", &db), db);
        check(sqlite3_exec(db,
                           "CREATE VIRTUAL TABLE contacts USING fts5(value, display UNINDEXED, "
                           "ref UNINDEXED, idx UNINDEXED, tokenize='trigram');"
                           "BEGIN;",
                           nullptr, nullptr, nullptr),
              db);
        sqlite3_stmt* insert = nullptr;
        check(sqlite3_prepare_v2(db,
                                 "INSERT INTO contacts(value, display, ref, idx) "
                                 "VALUES (?, ?, ?, ?)",
                                 -1, &insert, nullptr),
              db);
        for (const Value& v : w.values) {
            sqlite3_bind_text16(insert, 1, v.value.utf16(), int(v.value.size() * 2), SQLITE_STATIC);
            sqlite3_bind_text16(insert, 2, v.display.utf16(), int(v.display.size() * 2),
                                SQLITE_STATIC);
            sqlite3_bind_blob(insert, 3, v.packedRef.constData(), int(v.packedRef.size()),
                              SQLITE_STATIC);
            sqlite3_bind_int(insert, 4, v.index);
            check(sqlite3_step(insert), db);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        check(sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr), db);
        sqlite3_close(db);
    }
    setCounters(state, w);
}
BENCHMARK(BM_WriteFts5)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Rebuild(benchmark::State& state)
{
    const Workspace& w = workspace(int(state.range(0)));
    use(w);
    for (auto _ : state) {
        if (!Indexing::RebuildIndexFile({}, {1, 2, 3, 4}))
            state.SkipWithError("the rebuild failed");
    }
    setCounters(state, w);
}
BENCHMARK(BM_Rebuild)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadTree(benchmark::State& state)
{
    const Workspace& w = workspace(int(state.range(0)));
    for (auto _ : state) {
        QStringList folders;
        listTree(filingFolder(w), folders);
        qint64 read = 0;
        for (const QString& folder : std::as_const(folders)) {
            // The readers find each file whatever the case of its name.
            const DataFiles::FileInfoRecord info =
                Routines_FileInfoFile::ReadFileInfo(folder + QStringLiteral("/FileInfo.inf"), true);
            const DataFiles::ProfileRecord profile =
                Routines_ProfileFile::ReadProfile(folder + QStringLiteral("/Profile.pro"), true);
            read += info.FolderID + profile.displayName.size();
        }
        benchmark::DoNotOptimize(read);
    }
    setCounters(state, w);
}
BENCHMARK(BM_ReadTree)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
