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
mkdir -p "$(dirname "$prefix")"
# Tests start in parallel: one at a time creates the prefix and starts the
# server.
(
  flock 9
  if [ ! -f "$prefix/system.reg" ]; then
    wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
    wineserver -w
  fi
  # One server for the whole run: with Wine's default of a few seconds it
  # may be exiting just as the next test connects, and that test fails. The
  # run ends with "wineserver -k" (wine-stop.sh). When a server is already
  # running this returns at once with an error.
  if wineserver -p30 </dev/null >/dev/null 2>&1 9>&-; then
    # A new server: start the session's background processes now, with no
    # tie to this test's output. Started by the test itself, they would keep
    # its output open, and CTest waiting for it, until the server ends.
    wineboot </dev/null >/dev/null 2>&1 9>&- || true
  fi
) 9>"$prefix.lock"
exec wine "$@"
