#!/bin/sh
# wine-stop.sh PREFIX: stops the Wine server of PREFIX and so every Wine
# process still running in it, so that nothing outlives the tests.
WINEPREFIX="$1" wineserver -k 2>/dev/null
exit 0
