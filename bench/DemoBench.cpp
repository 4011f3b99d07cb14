// SPDX-License-Identifier: GPL-3.0-or-later
// Making the demo workspace of 100,000 people, beside copying the same tree
// (every folder made, every file read and written again): the copy is what
// the file system alone costs for those folders and bytes, so the ratio is
// what making the data adds. The workspace must take under a minute.
#include "demo/Demo.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int People = 100'000;

Demo::DemoOptions options()
{
    Demo::DemoOptions o;
    o.contacts = People;
    return o;
}

void setCounters(benchmark::State& state, const Demo::DemoSummary& made)
{
    state.counters["folders"] = made.folders;
    state.counters["files"] = made.files;
    state.counters["people/s"] =
        benchmark::Counter(double(made.people), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_DemoWorkspace(benchmark::State& state)
{
    Demo::DemoSummary made;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        state.ResumeTiming();
        made = Demo::createWorkspace(dir.filePath(QStringLiteral("ws")), options());
        state.PauseTiming();
        dir.remove();
        state.ResumeTiming();
    }
    setCounters(state, made);
}
BENCHMARK(BM_DemoWorkspace)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The baseline: the same tree copied folder by folder and file by file.
void copyTree(const QString& from, const QString& to)
{
    QDir().mkdir(to);
    const QDir base(from);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + QLatin1Char('/') + base.relativeFilePath(path);
        if (it.fileInfo().isDir()) {
            QDir().mkdir(target);
            continue;
        }
        QFile in(path);
        QFile out(target);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
            throw std::runtime_error("the copy failed");
        out.write(in.readAll());
    }
}

void BM_CopySameTree(benchmark::State& state)
{
    QTemporaryDir dir;
    const Demo::DemoSummary made =
        Demo::createWorkspace(dir.filePath(QStringLiteral("ws")), options());
    for (auto _ : state) {
        copyTree(made.folder, dir.filePath(QStringLiteral("copy")));
        state.PauseTiming();
        QDir(dir.filePath(QStringLiteral("copy"))).removeRecursively();
        state.ResumeTiming();
    }
    setCounters(state, made);
}
BENCHMARK(BM_CopySameTree)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
