#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and AddressSanitizer and runs each
# for SECONDS (default 60) on a copy of its seed corpus. New crashes land in
# build/fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/install-deps.sh build run fuzz
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER=clang++ -DVANTIX_SANITIZE=ON -DVANTIX_FUZZ=ON \
      -DVANTIX_BUILD_TESTS=OFF >/dev/null
cmake --build build/fuzz
mkdir -p build/fuzz/crashes
for program in build/fuzz/fuzz/fuzz_*; do
    [ -f "$program" ] && [ -x "$program" ] || continue
    name=${program##*/fuzz_}
    corpus=build/fuzz/corpus/$name
    mkdir -p "$corpus"
    cp -n fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
    echo "== $name ($seconds s)"
    "$program" -max_total_time="$seconds" -artifact_prefix=build/fuzz/crashes/"$name"- \
        "$corpus" fuzz/corpus/"$name"
done
