#!/usr/bin/env bash
# Sets up, builds and starts the program.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"

native="$here/build/native"
cmake -S "$here" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Only the program: the tests and benchmarks are scripts/test.sh's business.
cmake --build "$native" -j "${QUILLANE_JOBS:-2}" --target quillane

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Quillane is a desktop program: start it from a graphical session (no DISPLAY is set)." >&2
  exit 1
fi
exec "$native/app/quillane"
