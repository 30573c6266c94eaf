#!/usr/bin/env bash
# The command line of the real quillane program from a shell without a
# display: --help and --version print and end with 0, a wrong option prints
# the usage to standard error and ends with 2, and a file to edit without a
# display ends with a message, neither touching the file nor aborting.
#
#   quillane_command_line.sh <path of quillane>
set -uo pipefail

program=${1:?usage: quillane_command_line.sh <quillane>}
work=$(mktemp -d "${TMPDIR:-/tmp}/quillane-cli.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

# Runs the program as from a terminal without any display; $1 the status
# expected, the rest its arguments. Leaves its output in out and err.
run() {
    local expected=$1 status=0
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@" >"$work/out" 2>"$work/err" </dev/null ||
        status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "FAIL: quillane $* ended with $status, not $expected" >&2
        cat "$work/out" "$work/err" >&2
        failures=$((failures + 1))
    fi
}

# $1 the file (out or err), $2 a fixed string it must hold.
holds() {
    grep -qF -- "$2" "$work/$1" || {
        echo "FAIL: $1 of the last run lacks: $2" >&2
        cat "$work/$1" >&2
        failures=$((failures + 1))
    }
}

empty() {
    [ ! -s "$work/$1" ] || {
        echo "FAIL: $1 of the last run is not empty" >&2
        cat "$work/$1" >&2
        failures=$((failures + 1))
    }
}

for help in --help -h; do
    run 0 "$help"
    holds out "[FILE]"
    holds out "--version"
    empty err
done

# The help is in the window's language: English where the locale's
# languages name English before Japanese, the texts as written otherwise
# (the C locale ignores LANGUAGE).
for locale in "LC_ALL=en_US.UTF-8|Edits Quillane's section" "LC_ALL=de_DE.UTF-8 LANGUAGE=de:en|Edits Quillane's section" \
    "LC_ALL=C LANGUAGE=en|ｾｸｼｮﾝを編集します"; do
    # shellcheck disable=SC2086 # the settings are words
    env ${locale%%|*} "$program" --help >"$work/out" 2>/dev/null
    holds out "${locale#*|}"
done

run 0 --version
[ "$(cat "$work/out")" = "quillane 0.13" ] || { echo "FAIL: --version printed: $(cat "$work/out")" >&2; failures=$((failures + 1)); }
empty err

for wrong in --no-such-option -x "a b"; do
    if [ "$wrong" = "a b" ]; then
        run 2 a b
    else
        run 2 "$wrong"
        holds err "'$(printf %s "$wrong" | sed 's/^-*//')'"
    fi
    holds err "[FILE]"
    empty out
done

printf 'Print[1]\r\n' >"$work/init.m"
cp "$work/init.m" "$work/before.m"
run 1 "$work/init.m"
holds err "DISPLAY"
empty out
cmp -s "$work/init.m" "$work/before.m" || { echo "FAIL: the file was changed" >&2; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] && echo "PASS: command line" || exit 1
