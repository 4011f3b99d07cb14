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
#include <memory>

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

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The marking of the page's tags as a document's load runs it.
void markTags()
{
    Linking::TagMarks marks;
    marks.setText(page().text);
    marks.update({}, std::nullopt);
    benchmark::DoNotOptimize(marks.marks().size());
}

// The best of five markings, in seconds.
double markingSeconds()
{
    static const double best = [] {
        double seconds = 1e9;
        for (int round = 0; round < 5; ++round) {
            const auto start = std::chrono::steady_clock::now();
            markTags();
            seconds = std::min(seconds, secondsSince(start));
        }
        return seconds;
    }();
    return best;
}

void BM_MarkingTheTags(benchmark::State& state)
{
    for (auto _ : state)
        markTags();
    state.counters["tags"] = double(Tags);
}
BENCHMARK(BM_MarkingTheTags)->Unit(benchmark::kMillisecond);

// Times `step` on the loaded page once an iteration (what it gives back is
// destroyed outside the time) and gives its time beside the marking's.
template <typename Step>
void againstMarking(benchmark::State& state, Step step)
{
    Linking::TagLinker linker;
    linker.setRows(page().rows);
    linker.setSource(Page, page().text);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const auto kept = step(linker);
        const double taken = secondsSince(start);
        state.SetIterationTime(taken);
        seconds += taken;
    }
    state.counters["x_marking"] = seconds / double(state.iterations()) / markingSeconds();
    state.counters["marking_ms"] = markingSeconds() * 1000;
}

void BM_ProposingThePairs(benchmark::State& state)
{
    againstMarking(state, [](const Linking::TagLinker& linker) { return linker.matchingPairs(); });
}
BENCHMARK(BM_ProposingThePairs)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ShowingTheList(benchmark::State& state)
{
    againstMarking(state, [](const Linking::TagLinker& linker) {
        auto dialog = std::make_unique<frm_MatchTags>(linker.matchingPairs());
        dialog->show();
        QApplication::processEvents();
        dialog->repaint();
        return dialog;
    });
}
BENCHMARK(BM_ShowingTheList)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
