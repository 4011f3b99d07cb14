#!/usr/bin/env bash
# Installs what is missing, builds the release build, makes the demo
# workspace build/demo-workspace (once) and opens Tagmill on it: the last
# document and job folder of its settings are a reply page and the job folder
# that holds every kind of e-mail. Arguments go to tagmill (see
# `tagmill --help`); a settings hive of your own ($VANTIX_REGISTRY or
# --registry) takes the place of the demo's.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build run
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTIX_BUILD_TESTS=OFF >/dev/null
cmake --build build/release
vantix="$PWD/build/release/src/cli/vantix"
tagmill="$PWD/build/release/src/app/tagmill"

workspace="$PWD/build/demo-workspace"
if [ ! -e "$workspace/registry.sqlite3" ]; then
    rm -rf "$workspace" # an earlier run that did not finish
    "$vantix" demo "$workspace" >/dev/null
fi
export VANTIX_REGISTRY="${VANTIX_REGISTRY:-$workspace/registry.sqlite3}"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<NODISPLAY
There is no display to open Tagmill on (neither DISPLAY nor WAYLAND_DISPLAY
is set). Run this in a desktop session, or take a picture of the window with
bash scripts/screenshot.sh. The demo workspace is in $workspace; vantix
works without a display:

    export VANTIX_REGISTRY='$VANTIX_REGISTRY'
    $vantix settings get Tagmill LastFolder
NODISPLAY
    exit 1
fi
exec "$tagmill" "$@"
