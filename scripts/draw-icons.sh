#!/usr/bin/env bash
# Draws the programs' own images again from tools/icons/DrawIcons.cpp: the
# contact finder's (toolbar buttons in two sizes, result pictures) into
# resources/icons/finder, the pointers CUR_20 to CUR_28 into
# resources/cursors, the balloons' pictures into resources/icons/balloon, the
# main window's own buttons into resources/icons/main and the new-contact
# panel's into resources/icons/newcontact; then renders the
# program's icon, resources/icons/app/tagmill.svg (drawn by hand), in the PNG
# sizes that menus and title bars ask for. The images are kept in the tree;
# run this after changing them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build icons
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC2046
g++ -std=c++20 -O1 -fPIC tools/icons/DrawIcons.cpp -o "$work/draw_icons" \
    $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/draw_icons" resources/icons/finder resources/cursors \
    resources/icons/balloon \
    resources/icons/main resources/icons/newcontact
ls resources/icons/finder resources/cursors resources/icons/balloon resources/icons/main \
    resources/icons/newcontact
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" resources/icons/app/tagmill.svg \
        -o resources/icons/app/tagmill-"$size".png
done
ls resources/icons/app
