// SPDX-License-Identifier: GPL-3.0-or-later
// Link matching tags (Ctrl+M) on a 4 MB page of 50,000 comment tags, each a
// tag of its own named like one of 50,000 fields (the longest list the
// dialog can be asked to show), beside the marking of the same page's tags
// (TagMarks, as a document's load runs it) measured in the same run
// (x_marking: how many markings each takes):
// - the pairs proposed (goal, with the list shown: under 200 ms);
// - the pairs proposed and the dialog's list shown (made, shown, painted).
#include "app/frm_MatchTags.h"
#include "linking/TagLinker.h"
#include "linking/TagMatching.h"
#include "linking/TagStates.h"
#include "platform/RegistryHive.h"
#include "shared/Settings.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

namespace {

constexpr qsizetype PageSize = 4 * 1024 * 1024;
constexpr int Tags = 50000;
const QString Page = QStringLiteral("reply.htm");

struct MatchingPage
{
    QTemporaryDir dir;
    QString text;
    QList<Linking::FieldRow> rows;

    MatchingPage()
    {
        Global::setSettingsHive(
            Platform::RegistryHive::open(dir.filePath(QStringLiteral("hive.sqlite3"))));
        QString page = QStringLiteral("<html>\r\n<body><table>\r\n");
        const QString filler(std::max<qsizetype>(0, PageSize / Tags - 64), u'x');
        page.reserve(PageSize + 4096);
        for (int i = 0; i < Tags; ++i) {
            page += QStringLiteral(
                        "<tr><th>Field %1</th><td><!-- field %1 --></td><td>%2</td></tr>\r\n")
                        .arg(i)
                        .arg(filler);
            rows.append({QStringLiteral("Field_%1").arg(i), QStringLiteral("value"), QString()});
        }
        text = page + QStringLiteral("</table></body></html>\r\n");
    }
};

MatchingPage& page()
{
    static MatchingPage made;
    return made;
}

// The best of five markings of the page's tags, in seconds.
double markingSeconds()
{
    static const double best = [] {
        double seconds = 1e9;
        for (int round = 0; round < 5; ++round) {
            const auto start = std::chrono::steady_clock::now();
            Linking::TagMarks marks;
            marks.setText(page().text);
            marks.update({}, std::nullopt);
            benchmark::DoNotOptimize(marks.marks().size());
            seconds = std::min(
                seconds,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        return seconds;
    }();
    return best;
}

void reportRatio(benchmark::State& state, double seconds)
{
    state.counters["x_marking"] = seconds / double(state.iterations()) / markingSeconds();
    state.counters["marking_ms"] = markingSeconds() * 1000;
}

void BM_MarkingTheTags(benchmark::State& state)
{
    for (auto _ : state) {
        Linking::TagMarks marks;
        marks.setText(page().text);
        marks.update({}, std::nullopt);
        benchmark::DoNotOptimize(marks.marks().size());
    }
    state.counters["tags"] = double(Tags);
}
BENCHMARK(BM_MarkingTheTags)->Unit(benchmark::kMillisecond);

void BM_ProposingThePairs(benchmark::State& state)
{
    Linking::TagLinker linker;
    linker.setRows(page().rows);
    linker.setSource(Page, page().text);
    double seconds = 0;
    qsizetype pairs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pairs = linker.matchingPairs().size();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["pairs"] = double(pairs);
    reportRatio(state, seconds);
}
BENCHMARK(BM_ProposingThePairs)->Unit(benchmark::kMillisecond);

void BM_ShowingTheList(benchmark::State& state)
{
    Linking::TagLinker linker;
    linker.setRows(page().rows);
    linker.setSource(Page, page().text);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        frm_MatchTags dialog(linker.matchingPairs());
        dialog.show();
        QApplication::processEvents();
        dialog.repaint();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        dialog.hide();
        state.ResumeTiming();
    }
    reportRatio(state, seconds);
}
BENCHMARK(BM_ShowingTheList)->Unit(benchmark::kMillisecond);

} // namespace
