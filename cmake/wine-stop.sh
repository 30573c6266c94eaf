#!/bin/sh
# wine-stop.sh PREFIX: stops the Wine server of PREFIX and so every Wine
# process still running in it, and waits until it is gone, so that nothing
# outlives the tests and a run started right after gets a fresh server.
export WINEPREFIX="$1"
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
exit 0
