#!/usr/bin/env bash
# Renders the main window, filled from a sample init.m, and the home folder
# window opened from it, over a sample folder tree, in both languages of the
# interface: docs/main-window.png and docs/folder-window.png in Japanese,
# docs/main-window-en.png and docs/folder-window-en.png in English (or into
# the folder given). Runs offscreen; set QT_QPA_PLATFORM=xcb under Xvfb to
# render through a display instead.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-"$here/docs"}
native="$here/build/native"

"$here/scripts/setup.sh"
cmake -S "$here" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$native" -j "${QUILLANE_JOBS:-2}" --target quillane_snapshot
mkdir -p "$out"
# The locale picks the language, as it does for the program.
for language in "C.UTF-8|" "en_US.UTF-8|-en"; do
  suffix=${language#*|}
  LC_ALL=${language%|*} LANGUAGE='' QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
    "$native/app/quillane_snapshot" "$out/main-window$suffix.png" "$out/folder-window$suffix.png"
  echo "wrote $out/main-window$suffix.png and $out/folder-window$suffix.png"
done
