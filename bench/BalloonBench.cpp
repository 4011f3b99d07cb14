// SPDX-License-Identifier: GPL-3.0-or-later
// ShowBalloonHelp to the balloon painted on the screen (offscreen), beside a
// bare window of the same size shown and painted. The target: under 20 ms.
#include "balloon/widgets/frm_BalloonHelp.h"

#include <QApplication>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

void BM_ShowBalloonHelp(benchmark::State& state)
{
    QPushButton button;
    button.setGeometry(100, 100, 80, 30);
    button.show();
    QApplication::processEvents();
    for (auto _ : state) {
        ShowBalloonHelp(&button, std::nullopt, true, 0, false,
                        QStringLiteral("Type the postcode, and the address is looked up."));
        currentBalloon()->repaint();
        state.PauseTiming();
        currentBalloon()->Form_Click();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ShowBalloonHelp)->Unit(benchmark::kMillisecond);

void BM_BareWindowShown(benchmark::State& state)
{
    for (auto _ : state) {
        QWidget window(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
        window.resize(frm_BalloonHelp::DesignWidth, 66);
        window.show();
        window.repaint();
    }
}
BENCHMARK(BM_BareWindowShown)->Unit(benchmark::kMillisecond);

} // namespace
