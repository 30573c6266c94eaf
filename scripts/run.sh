#!/usr/bin/env bash
# Sets up, builds and starts the program.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"

native="$here/build/native"
cmake -S "$here" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$native" -j "${QUILLANE_JOBS:-2}"

if [ ! -x "$native/app/quillane" ]; then
  echo "Built everything there is; the main window is not there yet." >&2
  exit 0
fi
exec "$native/app/quillane"
