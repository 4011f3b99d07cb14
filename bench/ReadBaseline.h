// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The baseline that file benchmarks are given as a ratio to: the best of
// five bare reads of the same bytes, in seconds.
#include <QFile>
#include <QString>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

inline double readSeconds(const QString& path)
{
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            benchmark::DoNotOptimize(file.readAll());
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}
