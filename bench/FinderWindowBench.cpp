// SPDX-License-Identifier: GPL-3.0-or-later
// The contact finder's window on a demo workspace of 100,000 people
// (offscreen), each figure beside its baseline in the same run:
// - from Enter in the clue box to the first screenful of results painted, for
//   "Smi" (about 600 hits) and "Cla" (about 2,000), beside the index search
//   alone; both pass the hit limit of 200, whose question this host answers
//   Yes at once. Targets: under 50 ms and 100 ms.
// - the process's first finder made and shown (target under 300 ms), a
//   finder made anew, and one shown again after a pick (under 50 ms);
// - BrowseFolder of a folder of 5,000 sub-folders (under 300 ms) and of the
//   demo's filing folder (about 41,000 folders, under 2 s).
// The workspace is made and indexed once per run, which takes a few minutes.
#include "NameSearch.h"
#include "datafiles/FileInfoFile.h"
#include "demo/Demo.h"
#include "finder/widgets/frm_Find.h"
#include "index/Build.h"
#include "index/OpenIndex.h"
#include "index/Packing.h"
#include "platform/ConsoleUiHost.h"
#include "platform/RegistryHive.h"
#include "shared/Paths.h"
#include "shared/Settings.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>

namespace {

// Answers the continue question of a long search with Yes; any other box as
// the console would, silently.
class YesHost final : public Platform::ConsoleUiHost
{
public:
    Platform::MsgAnswer messageBox(const Platform::MessageBoxRequest& request) override
    {
        if (request.buttons == Platform::MsgButtons::YesNo)
            return Platform::MsgAnswer::Yes;
        return Platform::passiveAnswer(request.buttons);
    }
};

class Workspace
{
public:
    Workspace()
    {
        Demo::DemoOptions options;
        options.contacts = 100'000;
        options.emailsPerJob = 0;
        const Demo::DemoSummary made =
            Demo::createWorkspace(m_dir.filePath(QStringLiteral("ws")), options);
        Global::setSettingsHive(Platform::RegistryHive::open(made.registry));
        Global::GetDataFolder(QString(), true);
        Global::CheckPaths();
        if (!Indexing::RebuildIndexFile({}, {Indexing::NameIndex}))
            throw std::runtime_error("the rebuild of the Name index failed");
        filing = Global::GetDataFolder(QStringLiteral("FilingFolder"));
        wide = makeWideFolder(filing);
    }

    QString filing;
    QString wide; // a folder of 5,000 sub-folders, in the filing tree

private:
    static QString makeWideFolder(const QString& filing)
    {
        const QString folder = filing + QStringLiteral("/Wide Company [900000]");
        QDir().mkpath(folder);
        Routines_FileInfoFile::WriteFileInfo(folder + QStringLiteral("/FileInfo.inf"),
                                             QStringLiteral("FolderID"), QStringLiteral("3"));
        for (int n = 1; n <= 5'000; ++n) {
            const QString sub =
                folder + QStringLiteral("/Person %1 [900000-%1]").arg(n, 4, 10, QLatin1Char('0'));
            QDir().mkpath(sub);
            // No summary in the parent: each kind is read from the folder's
            // own file, the slower way.
            Routines_FileInfoFile::WriteFileInfo(sub + QStringLiteral("/FileInfo.inf"),
                                                 QStringLiteral("FolderID"), QStringLiteral("2"));
        }
        return folder;
    }

    QTemporaryDir m_dir;
};

Workspace& workspace()
{
    static YesHost host;
    Platform::setUiHost(&host);
    static Workspace made;
    return made;
}

void paintNow(frm_Find& finder)
{
    finder.list_Results->viewport()->repaint();
}

// The process's first finder: made, loaded and painted once, with what the
// process does only once (styles, fonts); run before any other finder.
void BM_FirstDisplay(benchmark::State& state)
{
    workspace();
    for (auto _ : state) {
        frm_Find finder;
        finder.show();
        QApplication::processEvents();
        finder.repaint();
    }
}
BENCHMARK(BM_FirstDisplay)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_IndexSearchAlone(benchmark::State& state, const char* clue)
{
    workspace();
    Indexing::ResultsList list;
    Indexing::SearchRequest request;
    for (auto _ : state)
        request = searchNames(clue, list);
    state.counters["rows"] = request.Hits;
}
BENCHMARK_CAPTURE(BM_IndexSearchAlone, Smi, "Smi")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_IndexSearchAlone, Cla, "Cla")->Unit(benchmark::kMillisecond);

void BM_EnterToFirstScreenful(benchmark::State& state, const char* clue)
{
    workspace();
    frm_Find finder;
    finder.show();
    QApplication::processEvents();
    finder.txt_Clue->setText(QString::fromLatin1(clue));
    for (auto _ : state) {
        state.PauseTiming();
        finder.flow().results().clear();
        finder.flow().forgetLastClue();
        state.ResumeTiming();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(finder.txt_Clue, &enter);
        paintNow(finder);
    }
    state.counters["rows"] = finder.flow().results().count();
}
BENCHMARK_CAPTURE(BM_EnterToFirstScreenful, Smi, "Smi")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EnterToFirstScreenful, Cla, "Cla")->Unit(benchmark::kMillisecond);

// A finder made anew (after its window was closed): Form_Load and the first
// paint.
void BM_FinderMadeAndShown(benchmark::State& state)
{
    workspace();
    for (auto _ : state) {
        auto finder = std::make_unique<frm_Find>();
        finder->show();
        QApplication::processEvents();
        finder->repaint();
        state.PauseTiming();
        finder.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FinderMadeAndShown)->Unit(benchmark::kMillisecond);

void BM_FinderShownAgain(benchmark::State& state)
{
    workspace();
    frm_Find finder;
    finder.txt_Clue->setText(QStringLiteral("Smi"));
    finder.flow().start();
    for (auto _ : state) {
        state.PauseTiming();
        finder.hide();
        QApplication::processEvents();
        state.ResumeTiming();
        finder.show();
        QApplication::processEvents();
        finder.repaint();
    }
}
BENCHMARK(BM_FinderShownAgain)->Unit(benchmark::kMillisecond);

void BM_BrowseFolder(benchmark::State& state, bool wide)
{
    Workspace& made = workspace();
    Finding::SearchFlow flow;
    for (auto _ : state) {
        state.PauseTiming();
        flow.results().clear();
        flow.results().appendRow(QString(), made.filing);
        flow.selectRow(0);
        state.ResumeTiming();
        flow.browseFolder(wide ? made.wide : made.filing);
    }
    state.counters["rows"] = flow.results().count();
}
BENCHMARK_CAPTURE(BM_BrowseFolder, FiveThousand, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BrowseFolder, FilingRoot, false)->Unit(benchmark::kMillisecond);

} // namespace
