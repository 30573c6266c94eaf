#!/usr/bin/env bash
# Renders the main window, filled from a sample init.m, to docs/main-window.png
# and the home folder window opened from it, over a sample folder tree, to
# docs/folder-window.png (or the two paths given). Runs offscreen; set
# QT_QPA_PLATFORM=xcb under Xvfb to render through a display instead.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
main_out=${1:-"$here/docs/main-window.png"}
folder_out=${2:-"$here/docs/folder-window.png"}
native="$here/build/native"

"$here/scripts/setup.sh"
cmake -S "$here" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$native" -j "${QUILLANE_JOBS:-2}" --target quillane_snapshot
mkdir -p "$(dirname "$main_out")" "$(dirname "$folder_out")"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$native/app/quillane_snapshot" "$main_out" "$folder_out"
echo "wrote $main_out and $folder_out"
