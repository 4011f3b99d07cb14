#!/usr/bin/env bash
# Installs what is missing, builds the release build and runs the program.
# Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTIX_BUILD_TESTS=OFF >/dev/null
cmake --build build/release
if [ $# -eq 0 ]; then
    set -- --help
fi
exec build/release/src/cli/vantix "$@"
