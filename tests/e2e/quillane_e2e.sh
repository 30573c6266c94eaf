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
#   alt-save     type a home directory and press Alt+S twice: the letter
#                never joins the text, and exactly the typed path is saved.
#   first-start  start on a file without a home directory (quillane FILE) and
#                type at once, without a click: the typing replaces the
#                not-set text, in the home and in the commands field.
#   wm-close     under a window manager (openbox), close with Alt+F4, which
#                it sends as WM_DELETE_WINDOW: the save question comes; Esc
#                keeps the window, a second close and "はい(&Y)" save and end.
#   file-switch  edit, then type another file's name: the question offers the
#                loaded file first; "はい(&Y)" saves there, then switches.
#   normal-user  as a user who may not write the installation's init.m (a
#                child that drops root, or read-only modes when not root):
#                the notice at load offers the per-user file, the first save
#                makes it and its folders after the question.
#   outside-edit edit, let another program replace init.m with a line added
#                inside the section, then save: the question comes, and
#                "上書きする(&O)" writes the window's section over it.
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
    [ -n "${wm_pid:-}" ] && stop "$wm_pid"
    [ -n "$xvfb_pid" ] && stop "$xvfb_pid"
    chmod -R u+w "$work" 2>/dev/null
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

# A section as Quillane writes it; $1 home directory ("-": not set), $2 the
# lines between the commands markers, each with its CR LF (empty: no commands
# block), $3 "define" for the DefineUtils directive and block.
section() {
    local home=$1 commands=$2 define=${3:-}
    printf '%s\r\n(*\r\n' "$start_marker"
    [ "$home" != - ] && printf '[HomeDirectory]%s\r\n' "$home"
    [ -n "$define" ] && printf '[DefineUtils]\r\n'
    printf '*)\r\n'
    if [ "$home" != - ]; then
        printf '\r\n$Path = DeleteCases[$Path, $HomeDirectory]\r\nUnprotect[$HomeDirectory]\r\n'
        printf '$HomeDirectory = "%s"\r\nProtect[$HomeDirectory]\r\n' "$home"
        printf 'AppendTo[$Path, $HomeDirectory]\r\nSetDirectory[$HomeDirectory]\r\n\r\n'
    fi
    if [ -n "$define" ]; then
        printf '\r\nMoveToNotebookDirectory::usage =\r\n'
        printf '"MoveToNotebook[] はノートブックの保存先ディレクトリをカレントディレクトリにする。(Quillane)"\r\n'
        printf 'MoveToNotebookDirectory[] :=\r\nSetDirectory[ ToFileName[NotebookDirectory /. Options[$FrontEnd]] ];\r\n\r\n'
    fi
    if [ -n "$commands" ]; then
        printf '(* Quillane commands begin *)\r\n%s(* Quillane commands end *)\r\n\r\n' "$commands"
    fi
    printf '%s\r\n' "$end_marker"
}

# The user's lines around the section stay byte for byte; the last one has
# LF only and keeps it.
{
    printf '(* kept above *)\r\n'
    if [ "$scenario" = first-start ]; then
        section - ""
    else
        section "$homes/alpha" "Off[General::spell]$CRLF"
    fi
    printf 'Print["kept below"]\n'
} >"$init"
# The same lines around a section of the caller's.
around() {
    printf '(* kept above *)\r\n'
    section "$@"
    printf 'Print["kept below"]\n'
}

# --- the program
# The test command runs everything offscreen; this program needs the display.
export QT_QPA_PLATFORM=xcb
unset QT_IM_MODULE XMODIFIERS
wm_pid=""
if [ "$scenario" = wm-close ]; then
    command -v openbox >/dev/null || fail "openbox is not installed (scripts/setup.sh installs it)"
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    # Ready once it owns the screen's window-manager selection.
    deadline=$((SECONDS + 20))
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
        ((SECONDS < deadline)) || fail "openbox did not start"
        sleep 0.05
    done
fi
# The file on the command line, or found as the first scenarios find it.
start_args=()
case "$scenario" in first-start | wm-close | outside-edit) start_args=("$init") ;; esac
run_as=()
if [ "$scenario" = normal-user ]; then
    # The installation's file, which this user may not write, and a home
    # folder of the user's own; no base folder moved by the environment.
    installed="$work/inst/Configuration/Kernel/init.m"
    mkdir -p "$(dirname "$installed")"
    cp "$init" "$installed"
    cp "$installed" "$work/installed-before.m"
    user_home="$work/home"
    mkdir -p "$user_home"
    chmod 755 "$work"
    if [ "$(id -u)" -eq 0 ]; then
        chown 65534:65534 "$user_home"
        run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    else
        chmod 0444 "$installed"
        chmod 0555 "$(dirname "$installed")"
    fi
    export HOME="$user_home"
    unset WOLFRAM_USERBASE MATHEMATICA_USERBASE WOLFRAM_BASE MATHEMATICA_BASE
    start_args=("$installed")
fi
"${run_as[@]}" "$program" "${start_args[@]}" >"$work/quillane.log" 2>&1 &
app_pid=$!

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

# Start-up: whatever this machine has installed, the boxes before the main
# window are answered and the window is used. As a normal user, the notice
# that the file cannot be written comes too; its default answer (Return)
# takes the per-user file.
if [ "$scenario" = normal-user ]; then
    notice=$(wait_window '^確認$')
    xdotool windowfocus --sync "$notice" key Return
    wait_gone "$notice"
fi
main=$(wait_main_window)

# The file field (GbInitm at 8,272; EdtFileName at 16,45 in it): click it,
# replace its text with the path of init.m and leave it with Tab, which
# reloads the window from that file.
if [ ${#start_args[@]} -eq 0 ]; then
    xdotool mousemove --window "$main" 200 327 click 1
    wait_focus "$main"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 2 "$init"
    xdotool key Tab
else
    # What a window manager does for a new window; openbox does it itself.
    [ -z "$wm_pid" ] && xdotool windowfocus --sync "$main"
    wait_focus "$main"
fi

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
        printf 'Print["kept below"]\n'
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
        section "$homes/alpha" "Pi2 = Pi^2;$CRLF<<Graphics\`Colors\`$CRLF$CRLF"
        printf 'Print["kept below"]\n'
    } >"$expected"
    wait_bytes "$expected"
    ;;
alt-save)
    # The home field (GbDirectory at 8,8; EdtHome at 16,40 in it).
    xdotool mousemove --window "$main" 200 58 click 1
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 2 /srv/work
    xdotool key --clearmodifiers alt+s
    xdotool key --clearmodifiers alt+s
    around /srv/work "Off[General::spell]$CRLF$CRLF" >"$expected"
    wait_bytes "$expected"
    xdotool key --clearmodifiers alt+x
    wait_exit
    wait_bytes "$expected"
    ;;
first-start)
    # The home field has the focus at start-up; the commands field is one
    # accelerator away.
    xdotool type --delay 2 /home/me
    xdotool key --clearmodifiers alt+e
    xdotool type --delay 2 'Off[General::spell]'
    xdotool key --clearmodifiers alt+s
    around /home/me "Off[General::spell]$CRLF$CRLF" >"$expected"
    wait_bytes "$expected"
    xdotool key --clearmodifiers alt+x
    wait_exit
    ;;
wm-close)
    # The window manager hands the focus over in steps of its own; keys
    # sent before the window is active would find no accelerator.
    sleep 1
    xdotool key --clearmodifiers alt+d
    # The accelerator clicks the check box after its pressed look (100 ms).
    sleep 0.5
    xdotool key --clearmodifiers alt+F4
    question=$(wait_window '^確認$')
    xdotool windowfocus --sync "$question" key Escape
    wait_gone "$question"
    kill -0 "$app_pid" 2>/dev/null || fail "the window closed although the question was cancelled"
    xdotool windowfocus --sync "$main"
    xdotool key --clearmodifiers alt+F4
    question=$(wait_window '^確認$')
    xdotool windowfocus --sync "$question" key --clearmodifiers alt+y
    wait_exit
    around "$homes/alpha" "Off[General::spell]$CRLF$CRLF" define >"$expected"
    wait_bytes "$expected"
    ;;
file-switch)
    other="$work/Kernel/other.m"
    printf 'Print["other"]\r\n' >"$other"
    xdotool mousemove --window "$main" 200 58 click 1
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 2 /srv/edited
    xdotool key --clearmodifiers alt+i
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 2 "$other"
    xdotool key Tab
    question=$(wait_window '^確認$')
    xdotool windowfocus --sync "$question" key --clearmodifiers alt+y
    wait_gone "$question"
    around /srv/edited "Off[General::spell]$CRLF$CRLF" >"$expected"
    wait_bytes "$expected"
    # The other file is loaded, and nothing of it is changed: no question.
    xdotool windowfocus --sync "$main"
    xdotool key --clearmodifiers alt+x
    wait_exit
    [ "$(cat "$other")" = $'Print["other"]\r' ] || fail "the other file was changed"
    ;;
outside-edit)
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 2 /srv/mine
    # Another program saves the file as editors do: a new file put in its
    # place, here with a line added inside the section and one below it.
    {
        printf '(* kept above *)\r\n'
        section "$homes/alpha" "Off[General::spell]$CRLF" | sed 's/^\(\[HomeDirectory\].*\)$/\1\r\nPrint["inside"]\r/'
        printf 'Print["kept below"]\n(* added below *)\n'
    } >"$work/Kernel/init.m.new"
    mv "$work/Kernel/init.m.new" "$init"
    cp "$init" "$work/outside.m"
    sleep 0.5
    xdotool key --clearmodifiers alt+s
    question=$(wait_window '^確認$')
    # Cancel first: nothing is written.
    xdotool windowfocus --sync "$question" key Escape
    wait_gone "$question"
    wait_bytes "$work/outside.m"
    xdotool windowfocus --sync "$main"
    xdotool key --clearmodifiers alt+s
    question=$(wait_window '^確認$')
    xdotool windowfocus --sync "$question" key --clearmodifiers alt+o
    wait_gone "$question"
    # The file's own lines now break with LF mostly: so does the section.
    {
        printf '(* kept above *)\r\n'
        section /srv/mine "Off[General::spell]$CRLF$CRLF" | sed 's/\r$//'
        printf 'Print["kept below"]\n(* added below *)\n'
    } >"$expected"
    wait_bytes "$expected"
    xdotool windowfocus --sync "$main"
    xdotool key --clearmodifiers alt+x
    wait_exit
    ;;
normal-user)
    # The notice at load took the per-user file; the first save makes it
    # and its folders, after the question.
    xdotool key --clearmodifiers alt+h
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 2 /home/user/math
    xdotool key --clearmodifiers alt+s
    question=$(wait_window '^確認$')
    xdotool windowfocus --sync "$question" key --clearmodifiers alt+c
    wait_gone "$question"
    init="$user_home/.Wolfram/Kernel/init.m"
    # A new file has no break of its own: the system's, LF here, is used.
    section /home/user/math "Off[General::spell]$CRLF$CRLF" | sed 's/\r$//' >"$expected"
    wait_bytes "$expected"
    xdotool windowfocus --sync "$main"
    xdotool key --clearmodifiers alt+x
    wait_exit
    cmp -s "$installed" "$work/installed-before.m" || fail "the installation's init.m was changed"
    [ "$(stat -c %u "$user_home/.Wolfram")" = "$(stat -c %u "$user_home")" ] || fail "the folder belongs to another user"
    ;;
*)
    fail "unknown scenario $scenario"
    ;;
esac
echo "PASS: $scenario"
