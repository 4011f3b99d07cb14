#!/usr/bin/env bash
# Draws the contact finder's images again into resources/icons/finder from
# tools/icons/DrawIcons.cpp (the toolbar's buttons in two sizes, the result
# pictures). The images are kept in the tree; run this after changing them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC2046
g++ -std=c++20 -O1 -fPIC tools/icons/DrawIcons.cpp -o "$work/draw_icons" \
    $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/draw_icons" resources/icons/finder
ls resources/icons/finder
