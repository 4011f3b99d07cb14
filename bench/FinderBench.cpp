// SPDX-License-Identifier: GPL-3.0-or-later
// The finder's steps over its results: a refine of 10,000 rows (every tenth
// found), beside the least any refine must do, one look at each row's text
// without its marks. The target: under 20 ms.
#include "index/Search.h"
#include "shared/EmphasisMarks.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int Rows = 10'000;

// Rows as a search shows them: the name in bold with the clue marked, a
// column step, the address, the reference.
void fill(Indexing::ResultsList& list)
{
    list.setUpdatesEnabled(false);
    for (int i = 0; i < Rows; ++i) {
        const QString town = i % 10 == 0 ? QStringLiteral("Leeds") : QStringLiteral("York");
        list.addRow(QStringLiteral("\x01"
                                   "B\x01"
                                   "1Smi\x01"
                                   "0th, Person %1\x01"
                                   "b\x01"
                                   "t"
                                   "%2 Road, %3\x01"
                                   "t(%4-1)")
                        .arg(i)
                        .arg(i % 200)
                        .arg(town)
                        .arg(i),
                    QStringLiteral("007SMITH PERSON %1\x01%1-1").arg(i, 5, 10, QLatin1Char('0')),
                    3);
    }
    list.setUpdatesEnabled(true);
}

void BM_ReadEachRowOnce(benchmark::State& state)
{
    Indexing::ResultsList list;
    fill(list);
    for (auto _ : state) {
        int found = 0;
        for (int i = 0; i < list.count(); ++i)
            found += Global::plainEmphasisText(list.row(i).display)
                         .contains(u"leeds", Qt::CaseInsensitive);
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_ReadEachRowOnce)->Unit(benchmark::kMillisecond);

void BM_Refine(benchmark::State& state)
{
    Indexing::ResultsList list;
    fill(list);
    // Each refine first takes the previous one's divider away and moves the
    // same rows again: every round is a whole refine.
    for (auto _ : state)
        benchmark::DoNotOptimize(list.refine(u"leeds"));
}
BENCHMARK(BM_Refine)->Unit(benchmark::kMillisecond);

} // namespace
