#!/usr/bin/env bash
# End to end: the real quillane program on its own Xvfb display, driven by
# real X input (xdotool), checked by the exact bytes it leaves in init.m.
#
#   quillane_e2e.sh <path of quillane> <scenario>
#
# Scenarios:
#   home-folder  type the path of init.m into the file field and leave it,
#                press the home browse button, move to the next folder in the
#                tree, OK, save with Alt+S, exit with Alt+X (no question).
#   exit-save    type the path of init.m, edit the commands, exit with Alt+X
#                and answer the save question with "はい(&Y)".
#
# Exit status 77 (a skip for CTest) only when Xvfb is not installed.
set -euo pipefail

program=${1:?usage: quillane_e2e.sh <quillane> <scenario>}
scenario=${2:?usage: quillane_e2e.sh <quillane> <scenario>}

command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }
command -v xdotool >/dev/null || { echo "FAIL: xdotool is not installed (scripts/setup.sh installs it)"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quillane-e2e.XXXXXX")
. "$(dirname "${BASH_SOURCE[0]}")/x_session.sh"
cleanup() {
    set +e
    [ -n "$app_pid" ] && stop "$app_pid"
    [ -n "$xvfb_pid" ] && stop "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ -n "$app_pid" ] && [ -n "${DISPLAY:-}" ]; then
        echo "windows of the program:" >&2
        for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
            echo "  $(xdotool getwindowname "$w" 2>/dev/null)" >&2
        done
    fi
    [ -s "$work/quillane.log" ] && { echo "program output:" >&2; cat "$work/quillane.log" >&2; }
    exit 1
}

start_display "$work"

# --- the files: an installation-like folder with init.m, and home folders
# whose parent name is not ASCII, so the bytes show the path's encoding
homes="$work/フォルダ表"
mkdir -p "$homes/alpha" "$homes/beta" "$work/Kernel"
init="$work/Kernel/init.m"
CRLF=$'\r\n'
start_marker='(*--- This section is added by Quillane ---*)'
end_marker='(*--- End of section added by Quillane ---*)'

# A section as Quillane writes it; $1 home directory, $2 the lines between
# the commands markers, each with its CR LF (empty: no commands block).
section() {
    local home=$1 commands=$2
    printf '%s\r\n(*\r\n[HomeDirectory]%s\r\n*)\r\n' "$start_marker" "$home"
    printf '\r\n$Path = DeleteCases[$Path, $HomeDirectory]\r\nUnprotect[$HomeDirectory]\r\n'
    printf '$HomeDirectory = "%s"\r\nProtect[$HomeDirectory]\r\n' "$home"
    printf 'AppendTo[$Path, $HomeDirectory]\r\nSetDirectory[$HomeDirectory]\r\n\r\n'
    if [ -n "$commands" ]; then
        printf '(* Quillane commands begin *)\r\n%s(* Quillane commands end *)\r\n\r\n' "$commands"
    fi
    printf '%s\r\n' "$end_marker"
}

# The user's lines around the section stay; the last one has LF only and
# comes back with CR LF.
{
    printf '(* kept above *)\r\n'
    section "$homes/alpha" "Off[General::spell]$CRLF"
    printf 'Print["kept below"]\n'
} >"$init"

# --- the program
# The test command runs everything offscreen; this program needs the display.
export QT_QPA_PLATFORM=xcb
unset QT_IM_MODULE XMODIFIERS
"$program" >"$work/quillane.log" 2>&1 &
app_pid=$!

# Waits until the window $1 is no longer shown.
wait_gone() {
    local deadline=$((SECONDS + 20))
    while xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'; do
        ((SECONDS < deadline)) || fail "window $1 stays open"
        sleep 0.05
    done
}

# Waits until the window $1 has the X input focus, so that keys go to it.
wait_focus() {
    local deadline=$((SECONDS + 20))
    until [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; do
        ((SECONDS < deadline)) || fail "window $1 does not get the focus"
        sleep 0.05
    done
}

# Waits until init.m holds exactly the bytes of file $1.
wait_bytes() {
    local deadline=$((SECONDS + 20))
    until cmp -s "$1" "$init"; do
        if ((SECONDS >= deadline)); then
            echo "expected:" >&2; od -c "$1" >&2
            echo "init.m:" >&2; od -c "$init" >&2
            fail "init.m does not hold the expected bytes"
        fi
        sleep 0.05
    done
}

# Waits until the program has ended; fails when it does not, or not cleanly.
wait_exit() {
    local deadline=$((SECONDS + 20))
    while kill -0 "$app_pid" 2>/dev/null; do
        ((SECONDS < deadline)) || fail "the program does not end"
        sleep 0.05
    done
    local status=0
    wait "$app_pid" || status=$?
    app_pid=""
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

# Start-up: without an installation the reader's box comes first ("エラー"),
# and a broken one could bring the failure report ("Quillane"). Whatever this
# machine has installed, such boxes are answered and the window is used.
for _ in 1 2 3; do
    first=$(wait_window '^(エラー|Quillane|Quillane Ver 0\.13)$')
    [ "$(xdotool getwindowname "$first")" = "Quillane Ver 0.13" ] && break
    xdotool windowfocus --sync "$first" key Return
    wait_gone "$first"
done
main=$(wait_window '^Quillane Ver 0\.13$')

# The file field (GbInitm at 8,272; EdtFileName at 16,45 in it): click it,
# replace its text with the path of init.m and leave it with Tab, which
# reloads the window from that file.
xdotool mousemove --window "$main" 200 327 click 1
wait_focus "$main"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 2 "$init"
xdotool key Tab

expected="$work/expected.m"
case "$scenario" in
home-folder)
    # The home browse button (GbDirectory at 8,8; BtnHome at 480,38, 65 x 25).
    xdotool mousemove --window "$main" 520 58 click 1
    browse=$(wait_window '^フォルダの参照$')
    # The tree has the focus and the current home folder, alpha, selected;
    # the next folder down is its sibling beta. Return is OK.
    xdotool windowfocus --sync "$browse" key Down Return
    wait_gone "$browse"
    # Back in the main window: a click on its empty bottom edge, then save.
    xdotool mousemove --window "$main" 100 402 click 1
    wait_focus "$main"
    xdotool key --clearmodifiers alt+s
    {
        printf '(* kept above *)\r\n'
        section "$homes/beta" "Off[General::spell]$CRLF$CRLF"
        printf 'Print["kept below"]\r\n'
    } >"$expected"
    wait_bytes "$expected"
    # Saved: exiting asks nothing.
    xdotool key --clearmodifiers alt+x
    wait_exit
    ;;
exit-save)
    # Alt+E is the accelerator of the commands label: it focuses the
    # commands field. Two new lines replace its text.
    xdotool key --clearmodifiers alt+e
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 2 'Pi2 = Pi^2;'
    xdotool key Return
    xdotool type --delay 2 '<<Graphics`Colors`'
    # Exit while still in the field: the typing counts, so the question comes.
    xdotool key --clearmodifiers alt+x
    question=$(wait_window '^確認$')
    xdotool windowfocus --sync "$question" key --clearmodifiers alt+y
    wait_exit
    {
        printf '(* kept above *)\r\n'
        section "$homes/alpha" "Pi2 = Pi^2;$CRLF<<Graphics\`Colors\`$CRLF"
        printf 'Print["kept below"]\r\n'
    } >"$expected"
    wait_bytes "$expected"
    ;;
*)
    fail "unknown scenario $scenario"
    ;;
esac
echo "PASS: $scenario"
