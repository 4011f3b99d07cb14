#!/usr/bin/env bash
# Builds the benchmarks (release) and runs them. Arguments go to every
# benchmark program, e.g. --benchmark_filter=ResolveRes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build run bench
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTIX_BUILD_TESTS=OFF \
      -DVANTIX_BUILD_BENCH=ON >/dev/null
cmake --build build/bench
for program in build/bench/bench/bench_*; do
    [ -f "$program" ] && [ -x "$program" ] || continue
    echo "== $(basename "$program")"
    "$program" "$@"
done
