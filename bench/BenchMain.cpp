// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmarks run inside a GUI application (a widget application for those of
// windows) on the offscreen platform, with a UI host that answers every box
// with the answer that changes nothing.
#include "platform/ConsoleUiHost.h"
#include "platform/Environment.h"

#ifdef VANTIX_BENCH_WIDGETS
#include <QApplication>
using Application = QApplication;
#else
#include <QGuiApplication>
using Application = QGuiApplication;
#endif

#include <benchmark/benchmark.h>

int main(int argc, char* argv[])
{
    Platform::prepareGuiEnvironment();
    Application app(argc, argv);
    Platform::ConsoleUiHost host;
    Platform::setUiHost(&host);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
