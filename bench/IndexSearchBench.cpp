// SPDX-License-Identifier: GPL-3.0-or-later
// A search of the Name index as the finder runs it (no hit limit, no
// progress bar), on demo workspaces of 10,000 and 100,000 people, beside the
// peer a user would otherwise pick: SQLite FTS5 with the trigram tokenizer
// over the same values and displays, queried for the same clue in the same
// run with every row's columns read. The targets: a median under 1 ms at
// 100,000 people, and no slower than the FTS5 query for the same clue.
// Each workspace is made and indexed once per run, which takes a few minutes
// for the larger one.
#include "FtsNames.h"
#include "NameSearch.h"
#include "demo/Demo.h"
#include "index/Build.h"
#include "index/OpenIndex.h"
#include "index/Packing.h"
#include "index/Search.h"
#include "platform/RegistryHive.h"
#include "shared/Paths.h"
#include "shared/Settings.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

const int Sizes[] = {10'000, 100'000};
// Three letters of a common surname; six of one surname; and a heavy clue of
// six that three names share (Williams, Williamson, the first name William).
const char* const Clues[] = {"Smi", "Thomps", "Willia"};

// One demo workspace with its Name index rebuilt, and the FTS5 table of the
// same values.
class Corpus
{
public:
    explicit Corpus(int people)
    {
        Demo::DemoOptions options;
        options.contacts = people;
        options.emailsPerJob = 0;
        const Demo::DemoSummary made =
            Demo::createWorkspace(m_dir.filePath(QStringLiteral("ws")), options);
        Global::setSettingsHive(Platform::RegistryHive::open(made.registry));
        Global::GetDataFolder(QString(), true);
        m_index = m_dir.filePath(QStringLiteral("ws/Index"));
        Indexing::setIndexFolder(m_index);
        if (!Indexing::RebuildIndexFile({}, {Indexing::NameIndex}))
            throw std::runtime_error("the rebuild of the Name index failed");
        if (sqlite3_open(":memory:", &m_db) != SQLITE_OK)
            throw std::runtime_error("no SQLite database");
        m_values = Bench::fillFtsNames(m_db, made.folder + QStringLiteral("/Filing"));
        Global::setSettingsHive(nullptr);
    }
    ~Corpus() { sqlite3_close(m_db); }
    Corpus(const Corpus&) = delete;
    Corpus& operator=(const Corpus&) = delete;

    const QString& indexFolder() const { return m_index; }
    sqlite3* db() const { return m_db; }
    int values() const { return m_values; }

private:
    QTemporaryDir m_dir;
    QString m_index;
    sqlite3* m_db = nullptr;
    int m_values = 0;
};

Corpus& corpus(int people)
{
    static std::map<int, std::unique_ptr<Corpus>> made;
    std::unique_ptr<Corpus>& one = made[people];
    if (!one)
        one = std::make_unique<Corpus>(people);
    return *one;
}

void findOurs(benchmark::State& state, int people, const char* clue)
{
    const Corpus& c = corpus(people);
    Indexing::setIndexFolder(c.indexFolder());
    Indexing::ResultsList list;
    Indexing::SearchRequest request;
    for (auto _ : state) {
        request = searchNames(clue, list);
        if (!request.skipped.isEmpty())
            state.SkipWithError("the index could not be searched");
    }
    state.counters["rows"] = request.Hits;
    state.counters["traffic"] = request.Traffic;
    Indexing::setIndexFolder(QString());
}

void findFts(benchmark::State& state, int people, const char* clue)
{
    const Corpus& c = corpus(people);
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(c.db(), Bench::FtsNamesQuery, -1, &query, nullptr);
    const QByteArray phrase = Bench::ftsPhrase(clue);
    struct Row
    {
        QString value, display, ref;
        int kind;
    };
    std::vector<Row> rows;
    for (auto _ : state) {
        rows.clear();
        sqlite3_bind_text(query, 1, phrase.constData(), int(phrase.size()), SQLITE_STATIC);
        while (sqlite3_step(query) == SQLITE_ROW) {
            const auto text = [&](int column) {
                return QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(query, column)),
                    sqlite3_column_bytes(query, column));
            };
            rows.push_back({text(0), text(1), text(2), sqlite3_column_int(query, 3)});
        }
        sqlite3_reset(query);
        benchmark::DoNotOptimize(rows.data());
    }
    sqlite3_finalize(query);
    state.counters["rows"] = double(rows.size());
    state.counters["values"] = c.values();
}

void registerPair(int people, const char* clue)
{
    const QString suffix = QStringLiteral("/%1/%2").arg(people).arg(QLatin1String(clue));
    benchmark::RegisterBenchmark(("BM_IndexFind" + suffix).toStdString().c_str(), findOurs, people,
                                 clue)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(7)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark(("BM_Fts5Trigram" + suffix).toStdString().c_str(), findFts, people,
                                 clue)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(7)
        ->ReportAggregatesOnly(true);
}

// For each size and clue, ours then the peer.
const bool registered = [] {
    for (const int people : Sizes) {
        for (const char* clue : Clues)
            registerPair(people, clue);
    }
    return true;
}();

} // namespace
