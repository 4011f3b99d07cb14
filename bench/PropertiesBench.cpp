// SPDX-License-Identifier: GPL-3.0-or-later
// The finder's index properties panel (offscreen), beside its baseline in
// the same run: from the SETUP button to the panel painted with its 16
// swatches drawn into both colour boxes and the rebuild list filled (target
// under 50 ms), against the same window painted without the panel.
#include "DemoWorkspace.h"
#include "finder/widgets/PropertiesPanel.h"
#include "finder/widgets/frm_Find.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

// A small workspace: the panel reads only settings and the filing folder's
// path.
void workspace()
{
    static const Testing::DemoWorkspace made(10);
}

void BM_FinderPaintedWithoutPanel(benchmark::State& state)
{
    workspace();
    frm_Find finder;
    finder.show();
    QApplication::processEvents();
    for (auto _ : state)
        finder.repaint();
}
BENCHMARK(BM_FinderPaintedWithoutPanel)->Unit(benchmark::kMillisecond);

void BM_SetupToPanelPainted(benchmark::State& state)
{
    workspace();
    frm_Find finder;
    QAction* setup = finder.mainButtons.value(QStringLiteral("SETUP"));
    for (auto _ : state) {
        state.PauseTiming();
        finder.show();
        QApplication::processEvents();
        state.ResumeTiming();
        setup->trigger();
        QApplication::processEvents();
        finder.repaint();
        state.PauseTiming();
        finder.pnl_Properties->but_Cancel->click();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SetupToPanelPainted)->Unit(benchmark::kMillisecond);

} // namespace
