#!/usr/bin/env bash
# End to end: the real quillane program on its own Xvfb display with a slow
# and a hung FUSE mount under /mnt, in a mount namespace of its own so that
# nothing else on the machine sees them.
#
#   slow_mount_e2e.sh <path of quillane> <path of quillane_slowfs>
#
# /mnt/slow answers look-ups at once and every listing after 10 s; /mnt/hung
# never answers a look-up or a listing. With the home folder on /mnt/slow:
#   - the browse window shows within 0.5 s of the click on the home button,
#     while the listing of /mnt/slow is pending;
#   - Esc closes it within 0.5 s, the listing still pending;
#   - the main window saves the file meanwhile;
#   - with a listing of /mnt/hung pending for good, the program ends within
#     1 s of Alt+X (but for the thread the kernel keeps waiting for the file
#     system), and with status 0 once that file system has gone.
#
# Exit status 77 (a skip for CTest) only when /dev/fuse or Xvfb is missing.
set -euo pipefail

program=${1:?usage: slow_mount_e2e.sh <quillane> <quillane_slowfs>}
slowfs=${2:?usage: slow_mount_e2e.sh <quillane> <quillane_slowfs>}

[ -e /dev/fuse ] || { echo "SKIP: /dev/fuse is missing"; exit 77; }
command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }
command -v xdotool >/dev/null || { echo "FAIL: xdotool is not installed (scripts/setup.sh installs it)"; exit 1; }

# A mount namespace of its own: the mounts and everything in them go when
# this script ends. Root needs no user namespace; others map themselves.
if [ -z "${QUILLANE_SLOW_MOUNT_NS:-}" ]; then
    export QUILLANE_SLOW_MOUNT_NS=1
    if [ "$(id -u)" -eq 0 ]; then
        exec unshare --mount --propagation private bash "$0" "$@"
    fi
    exec unshare --user --map-root-user --mount --propagation private bash "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quillane-slow.XXXXXX")
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/x_session.sh"
daemons=()
cleanup() {
    set +e
    [ -n "$app_pid" ] && kill -KILL "$app_pid" 2>/dev/null
    # The file systems' daemons end at once, so that every request they
    # hold fails and nothing waits for them.
    for pid in "${daemons[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    [ -n "$xvfb_pid" ] && stop "$xvfb_pid"
    wait 2>/dev/null
    umount -l /mnt/slow /mnt/hung /mnt 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for log in "$work"/*.log; do
        [ -s "$log" ] && { echo "--- $(basename "$log"):" >&2; cat "$log" >&2; }
    done
    exit 1
}

# Milliseconds since some fixed moment.
now_ms() {
    local t=$EPOCHREALTIME
    echo $(((${t/./} + 500) / 1000))
}

# Fails unless the milliseconds from $2 to now are at most $3; $1 says what.
within() {
    local took=$(($(now_ms) - $2))
    echo "$1: $took ms"
    ((took <= $3)) || fail "$1 took $took ms, more than $3 ms"
}

# --- the mounts
mount -t tmpfs quillane-e2e /mnt || fail "cannot mount a tmpfs on /mnt in the namespace"
mkdir /mnt/slow /mnt/hung
"$slowfs" /mnt/slow -f -o list_delay=10000 2>"$work/slow.log" &
daemons+=($!)
"$slowfs" /mnt/hung -f -o hang 2>"$work/hung.log" &
daemons+=($!)
deadline=$((SECONDS + 20))
until grep -q ' /mnt/slow fuse.slowfs ' /proc/self/mounts && grep -q ' /mnt/hung fuse.slowfs ' /proc/self/mounts; do
    ((SECONDS < deadline)) || fail "the FUSE file systems did not mount"
    sleep 0.05
done

# --- the display
start_display "$work"

# --- the program, on a file of its own
init="$work/init.m"
printf '(* kept *)\n' >"$init"
export QT_QPA_PLATFORM=xcb
unset QT_IM_MODULE XMODIFIERS
"$program" >"$work/quillane.log" 2>&1 &
app_pid=$!

# Start-up: the boxes before the main window are answered.
main=$(wait_main_window)

# The file field (EdtFileName at 24,317 in the window), then the home field
# (EdtHome at 24,48): a folder on the slow mount.
xdotool mousemove --window "$main" 200 327 click 1
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 2 "$init"
xdotool key Tab
xdotool mousemove --window "$main" 200 58 click 1
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 2 /mnt/slow/proj
xdotool key Tab

# The home browse button (BtnHome at 488,46): the tree goes to /mnt/slow and
# waits for its listing.
start=$(now_ms)
xdotool mousemove --window "$main" 520 58 click 1
browse=$(wait_window '^フォルダの参照$')
within "browse window shown" "$start" 500
grep -q '^listing /$' "$work/slow.log" || fail "the tree did not ask for the listing of /mnt/slow"
xdotool windowfocus --sync "$browse"
start=$(now_ms)
xdotool key Escape
wait_gone "$browse"
within "Esc honoured" "$start" 500
grep -q '^listed /$' "$work/slow.log" && fail "the listing of /mnt/slow was no longer pending"

# Back in the main window (a click on its empty bottom edge): save.
xdotool mousemove --window "$main" 100 402 click 1
xdotool key --clearmodifiers alt+s
deadline=$((SECONDS + 10))
until grep -q '^\$HomeDirectory = "/mnt/slow/proj"' "$init"; do
    ((SECONDS < deadline)) || fail "the save did not write the home folder"
    sleep 0.05
done
grep -q '^(\* kept \*)' "$init" || fail "the save lost the line outside the section"

# Once more, and into /mnt/hung, above /mnt/slow, whose listing never comes.
start=$(now_ms)
xdotool mousemove --window "$main" 520 58 click 1
browse=$(wait_window '^フォルダの参照$')
within "browse window shown again" "$start" 500
xdotool windowfocus --sync "$browse" key Up Right
deadline=$((SECONDS + 10))
until grep -q '^listing /$' "$work/hung.log"; do
    ((SECONDS < deadline)) || fail "the tree did not ask for the listing of /mnt/hung"
    sleep 0.05
done
xdotool key Escape
wait_gone "$browse"

# Whether the program has ended all it can: its main thread has ended the
# process. A thread waiting for a FUSE request that the file system has
# taken is left in the kernel, unkillable, until the file system answers or
# ends; the process lingers that long, doing nothing.
ended() {
    [ -e "/proc/$app_pid/stat" ] || return 0
    [ "$(sed 's/^.*) //' "/proc/$app_pid/stat" | cut -d' ' -f1)" = Z ]
}

# Saved: exiting asks nothing, and does not wait for the listing.
xdotool mousemove --window "$main" 100 402 click 1
start=$(now_ms)
xdotool key --clearmodifiers alt+x
deadline=$((SECONDS + 10))
until ended; do
    ((SECONDS < deadline)) || fail "the program does not end"
    sleep 0.02
done
within "exit with a listing hung" "$start" 1000
# The file systems go; the program's status tells how it ended.
{
    kill -KILL "${daemons[@]}"
    wait "${daemons[@]}" || true
} 2>/dev/null
status=0
wait "$app_pid" || status=$?
app_pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "PASS: slow mount"
