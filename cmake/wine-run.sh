#!/bin/sh
# wine-run.sh PREFIX PROGRAM [ARG...]: runs a Windows program under Wine in
# the Wine prefix PREFIX, creating it on first use. No display, no Wine
# debug output, no offers to install Mono or Gecko.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$(dirname "$prefix")"
  # Tests may start in parallel; only one of them creates the prefix.
  (
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
      wineboot --init >/dev/null 2>&1 || true
      wineserver -w
    fi
  ) 9>"$prefix.lock"
fi
# Keep one server for the whole run: with Wine's default of a few seconds
# it may be exiting just as the next test connects, and that test fails.
# When a server is already running this returns at once. The run ends with
# "wineserver -k" (see wine-stop.sh).
wineserver -p30 </dev/null >/dev/null 2>&1 || true
exec wine "$@"
