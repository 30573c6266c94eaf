#!/usr/bin/env bash
# Sets up, builds and runs every test: the native build (all layers) and the
# Windows cross-build of the Qt-free layers under Wine. Both stages always
# run; the script fails when either fails.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" || exit 1

jobs=${QUILLANE_JOBS:-2}
native="$here/build/native"
windows="$here/build/windows"
debug="$here/build/debug"

native_stage() {
  cmake -S "$here" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
    cmake --build "$native" -j "$jobs" &&
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$native" -j "$jobs" --output-on-failure --timeout 300
}

# The checks that only debug builds make (assertions) are tested in a small
# debug build of the units that have them.
debug_checks() {
  cmake -S "$here" -B "$debug" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null &&
    cmake --build "$debug" -j "$jobs" --target ItemIDListTest &&
    ctest --test-dir "$debug" -R '^ItemIDListNoUnit\.' --output-on-failure --timeout 300 --no-tests=error
}

# Under Wine a test now and then fails at once with no output at all, before
# any of its code runs (seen with different tests, never twice in a row).
# Failed tests get one more run, and both runs are shown; a test that fails
# twice fails the stage.
wine_tests() {
  ctest --test-dir "$windows" -j "$jobs" --output-on-failure --timeout 300 && return 0
  echo "== Windows: running the failed tests once more"
  ctest --test-dir "$windows" --rerun-failed --output-on-failure --timeout 300
}

windows_stage() {
  local rc=0
  cmake -S "$here" -B "$windows" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" &&
    cmake --build "$windows" -j "$jobs" &&
    wine_tests || rc=$?
  # The tests' last step stops the Wine server; this covers a run that
  # ended early.
  WINEPREFIX="$windows/wine-prefix" wineserver -k 2>/dev/null || true
  return $rc
}

native_rc=0
windows_rc=0
echo "== native build and tests"
native_stage || native_rc=$?
echo "== debug build's checks"
debug_checks || native_rc=$?
echo "== Windows build and tests under Wine"
windows_stage || windows_rc=$?

echo "== native: $([ $native_rc -eq 0 ] && echo passed || echo "FAILED ($native_rc)")," \
  "Windows under Wine: $([ $windows_rc -eq 0 ] && echo passed || echo "FAILED ($windows_rc)")"
[ $native_rc -eq 0 ] && [ $windows_rc -eq 0 ]
