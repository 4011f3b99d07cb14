#!/usr/bin/env bash
# Installs what is missing, builds the release build in build/release and
# makes the Debian package of both programs there:
# build/release/tagmill_VERSION-1_ARCH.deb, which `apt-get install ./FILE.deb`
# installs with the packages it depends on. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build package
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTIX_BUILD_TESTS=OFF >/dev/null
cmake --build build/release
rm -f build/release/tagmill_*.deb
(cd build/release && cpack -G DEB >/dev/null)
ls "$PWD"/build/release/tagmill_*.deb
