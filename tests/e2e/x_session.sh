# The parts of an end-to-end run on an X display of its own, for the scripts
# that source this file. They define `fail` (report and exit) and keep the
# program's process id in `app_pid`; `xvfb_pid` is the display's.

xvfb_pid=""
app_pid=""

# Ends a process this script started: politely, then for sure.
stop() {
    kill "$1" 2>/dev/null || return 0
    local i
    for ((i = 0; i < 100; i++)); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.05
    done
    kill -KILL "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# Starts Xvfb in folder $1, which picks a free display number and reports it
# when ready, and exports DISPLAY for it.
start_display() {
    exec 3>"$1/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$1/xvfb.log" 2>&1 &
    xvfb_pid=$!
    exec 3>&-
    local deadline=$((SECONDS + 30))
    until [ -s "$1/display" ]; do
        kill -0 "$xvfb_pid" 2>/dev/null || { cat "$1/xvfb.log" >&2; fail "Xvfb did not start"; }
        ((SECONDS < deadline)) || fail "Xvfb did not report its display"
        sleep 0.05
    done
    export DISPLAY=":$(head -n1 "$1/display")"
}

# Waits for a visible window of the program whose title matches the
# extended regular expression $1 (for $2 seconds, 20 by default); prints its
# id. Titles are read as the program sets them in UTF-8 (_NET_WM_NAME),
# which does not depend on the program's locale the way the legacy title
# property does.
wait_window() {
    local deadline=$((SECONDS + ${2:-20})) id name
    while ((SECONDS < deadline)); do
        kill -0 "$app_pid" 2>/dev/null || fail "the program ended while waiting for /$1/"
        for id in $(xdotool search --all --onlyvisible --pid "$app_pid" 2>/dev/null); do
            name=$(xdotool getwindowname "$id" 2>/dev/null) || continue
            if [[ $name =~ $1 ]]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.05
    done
    fail "no window titled /$1/"
}

# Waits until the window $1 is no longer shown.
wait_gone() {
    local deadline=$((SECONDS + 20))
    while xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'; do
        ((SECONDS < deadline)) || fail "window $1 stays open"
        sleep 0.05
    done
}

# Prints the id of the program's main window once it shows. Without an
# installation the reader's box comes first ("エラー"), and a broken one could
# bring the failure report ("Quillane"): such boxes are answered.
wait_main_window() {
    local first
    for _ in 1 2 3; do
        first=$(wait_window '^(エラー|Quillane|Quillane Ver 0\.13)$')
        [ "$(xdotool getwindowname "$first")" = "Quillane Ver 0.13" ] && break
        xdotool windowfocus --sync "$first" key Return
        wait_gone "$first"
    done
    wait_window '^Quillane Ver 0\.13$'
}
