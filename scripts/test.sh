#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build test
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTIX_SANITIZE=ON >/dev/null
cmake --build build/asan
cd build/asan
ctest --output-on-failure --timeout 600 -j "$(nproc)"
