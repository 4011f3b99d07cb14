#!/usr/bin/env bash
# Takes the README's pictures: a fresh demo workspace with one stored link,
# Tagmill started on it under a virtual X display, two steps of the Next
# button, and the window saved to docs/tagmill.png (or FILE); then the
# contact finder having searched "Smi", saved beside it as finder.png; then
# the preview of the reply page filled from the job folder's newest form
# e-mail, with three of its tags linked, as preview.png.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-docs/tagmill.png}")"
bash scripts/install-deps.sh build run screenshot
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTIX_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --target vantix tagmill
vantix="$PWD/build/release/src/cli/vantix"
tagmill="$PWD/build/release/src/app/tagmill"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$vantix" demo "$work/ws" --contacts 50 >/dev/null 2>&1
export VANTIX_REGISTRY="$work/ws/registry.sqlite3"
"$vantix" settings set 'Tagmill\WEBSITEENQUIRYHTM' '<!-- Name -->' Name
"$vantix" settings set Tagmill WindowWidth 1240
"$vantix" settings set Tagmill WindowHeight 720
"$vantix" settings set Tagmill SplitterPosition 340
"$vantix" settings set Tagmill TagsPaneWidth 250

mkdir -p "$(dirname "$out")"
TAGMILL_SCREENSHOT="$out" TAGMILL_SCREENSHOT_TAGS=2 \
    xvfb-run -a -s "-screen 0 1280x800x24" "$tagmill" 2>/dev/null
finder="$(dirname "$out")/finder.png"
TAGMILL_SCREENSHOT="$finder" TAGMILL_SCREENSHOT_FINDER=Smi \
    xvfb-run -a -s "-screen 0 1280x800x24" "$tagmill" 2>/dev/null
preview="$(dirname "$out")/preview.png"
"$vantix" settings set 'Tagmill\WEBSITEENQUIRYHTM' '<!-- Company -->' Company
"$vantix" settings set 'Tagmill\WEBSITEENQUIRYHTM' '<!-- Email -->' Email
TAGMILL_SCREENSHOT="$preview" TAGMILL_SCREENSHOT_PREVIEW=1 \
    xvfb-run -a -s "-screen 0 1280x800x24" "$tagmill" 2>/dev/null
echo "$out"
echo "$finder"
echo "$preview"
