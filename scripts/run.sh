#!/usr/bin/env bash
# Installs what is missing, builds the release build and runs the program.
# Arguments go to the program. Without arguments it makes the demo workspace
# build/demo-workspace (once) and shows how to use it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTIX_BUILD_TESTS=OFF >/dev/null
cmake --build build/release
vantix=build/release/src/cli/vantix
if [ $# -gt 0 ]; then
    exec "$vantix" "$@"
fi

workspace="$PWD/build/demo-workspace"
if [ ! -e "$workspace/registry.sqlite3" ]; then
    rm -rf "$workspace" # an earlier run that did not finish
    "$vantix" demo "$workspace" >/dev/null
fi
"$vantix" --help
cat <<USAGE

The demo workspace is in $workspace. Point the programs at it with

    export VANTIX_REGISTRY='$workspace/registry.sqlite3'

and then, for example:

    $vantix settings export 'EMail\\FormSubmissions'
    $vantix settings get Tagmill LastFolder
    $vantix dump "\$($vantix settings get Tagmill LastFolder)/Profile.pro"
USAGE
