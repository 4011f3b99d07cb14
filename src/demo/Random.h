// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <cstdint>
#include <span>

namespace Demo {

// The demo's one source of chance: splitmix64, whose sequence for a seed is
// the same on every machine and library version (the standard distributions
// are not), so a seed always gives the same workspace.
class Random
{
public:
    explicit Random(quint64 seed) : m_state(seed) {}

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // 0 to bound - 1, by the multiply-shift reduction of the top 32 bits; the
    // bias is far below anything a demo could show.
    int below(int bound)
    {
        Q_ASSERT(bound > 0);
        return int(((next() >> 32) * quint64(bound)) >> 32);
    }
    // from to to, both included.
    int between(int from, int to) { return from + below(to - from + 1); }
    // True `percent` times in a hundred.
    bool chance(int percent) { return below(100) < percent; }

    template <typename T>
    const T& pick(std::span<const T> items)
    {
        return items[size_t(below(int(items.size())))];
    }

    // An independent stream for one part of the workspace, so that a change
    // in how many numbers one part draws does not reshuffle the others.
    Random fork(quint64 salt) { return Random(next() ^ (salt * 0xD1B54A32D192ED03ULL)); }

private:
    quint64 m_state;
};

} // namespace Demo
