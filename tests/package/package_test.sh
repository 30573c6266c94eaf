#!/usr/bin/env bash
# The Debian package, as a user gets it.
#
#   package_test.sh build   <folder> <cpack> <CPackConfig.cmake>
#   package_test.sh lint    <folder> <folder of the metadata with screenshots>
#   package_test.sh install <folder> <caption probe>
#
# build:   makes the package in <folder> with cpack, the only .deb there.
# lint:    lintian, desktop-file-validate and appstreamcli on what the
#          package holds, and the files and dependencies it must have.
# install: installs it with dpkg, starts the installed program on its own
#          Xvfb display and checks that a caption of its window is drawn in
#          Japanese; again with the Japanese fonts hidden, where the program
#          must say so first and the caption must not pass; then removes the
#          package. Only root may install: otherwise it is skipped (77), as
#          it is when the package is already installed, since the test would
#          replace and remove it.
set -euo pipefail

mode=${1:?usage: package_test.sh build|lint|install <folder> ...}
folder=${2:?usage: package_test.sh <mode> <folder> ...}
work=""
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/x_session.sh"

fail() {
    echo "FAIL: $*" >&2
    if [ -n "$work" ] && [ -s "$work/quillane.log" ]; then
        echo "program output:" >&2
        cat "$work/quillane.log" >&2
    fi
    exit 1
}

the_deb() {
    local debs=("$folder"/*.deb)
    [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "not one package in $folder: ${debs[*]}"
    echo "${debs[0]}"
}

need() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup.sh installs it)"
    done
}

build() {
    local cpack=${1:?} config=${2:?}
    rm -rf "$folder"
    "$cpack" -G DEB --config "$config" -B "$folder"
    rm -rf "$folder/_CPack_Packages"
    echo "PASS: built $(the_deb)"
}

lint() {
    local with_screenshots=("${1:?}"/*.metainfo.xml)
    need lintian desktop-file-validate appstreamcli dpkg-deb
    local deb
    deb=$(the_deb)
    work=$(mktemp -d "${TMPDIR:-/tmp}/quillane-lint.XXXXXX")
    trap 'rm -rf "$work"' EXIT

    lintian --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"

    dpkg-deb -x "$deb" "$work/root"
    local path
    for path in usr/bin/quillane usr/share/man/man1/quillane.1.gz \
        usr/share/doc/quillane/copyright usr/share/doc/quillane/changelog.gz \
        usr/share/applications/quillane.desktop \
        usr/share/icons/hicolor/scalable/apps/quillane.svg \
        usr/share/icons/hicolor/48x48/apps/quillane.png; do
        [ -s "$work/root/$path" ] || fail "the package has no /$path"
    done
    local metainfo=("$work"/root/usr/share/metainfo/*.metainfo.xml)
    [ -s "${metainfo[0]}" ] || fail "the package has no AppStream metadata"

    # desktop-file-validate exits 0 on hints; any word from it is a finding.
    local said
    said=$(desktop-file-validate "$work/root/usr/share/applications/quillane.desktop" 2>&1)
    [ -z "$said" ] || fail "desktop-file-validate: $said"
    # appstreamcli fails on warnings; infos and pedantic notes are shown.
    appstreamcli validate --no-net "${metainfo[0]}" "${with_screenshots[0]}" ||
        fail "appstreamcli rejects the metadata"

    local depends
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    [[ $depends == *"fonts-ipafont-gothic | fonts-noto-cjk"* ]] || fail "no dependency on a Japanese font"
    # dpkg-shlibdeps names the Qt library the program links.
    [[ $depends == *libqt6widgets6* ]] || fail "the library dependencies are missing"
    echo "PASS: lint"
}

# --- install -------------------------------------------------------------

installed=""

# dpkg with its arguments, waiting while another dpkg or apt holds the lock.
dpkg_locked() {
    local deadline=$((SECONDS + 300)) out
    until out=$(dpkg "$@" 2>&1); do
        if [[ $out != *"lock"* ]] || ((SECONDS >= deadline)); then
            echo "$out" >&2
            return 1
        fi
        sleep 1
    done
    echo "$out"
}

uninstall() {
    set +e
    [ -n "$app_pid" ] && stop "$app_pid"
    [ -n "$xvfb_pid" ] && stop "$xvfb_pid"
    [ -n "$installed" ] && dpkg_locked --purge quillane >/dev/null
    [ -n "$work" ] && rm -rf "$work"
}

# Starts the installed program with the environment "$@" added; answers the
# boxes it shows before its main window, noting their titles in $boxes; and
# leaves the main window's id in $main.
start_program() {
    env -i HOME="$work/home" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb \
        XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" "$@" \
        /usr/bin/quillane >"$work/quillane.log" 2>&1 &
    app_pid=$!
    boxes=""
    local id name
    while :; do
        id=$(wait_window . 30)
        name=$(xdotool getwindowname "$id")
        [[ $name =~ ^Quillane\ Ver\  ]] && break
        boxes+="[$name]"
        [ ${#boxes} -lt 200 ] || fail "box after box: $boxes"
        xdotool windowfocus --sync "$id" key Return
        while xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; do sleep 0.05; done
    done
    main=$id
}

end_program() {
    stop "$app_pid"
    app_pid=""
}

install_and_run() {
    local probe=${1:?}
    [ "$(id -u)" -eq 0 ] || { echo "SKIP: installing a package needs root"; exit 77; }
    need dpkg Xvfb xdotool xwininfo flock
    local deb
    deb=$(the_deb)
    work=$(mktemp -d "${TMPDIR:-/tmp}/quillane-package.XXXXXX")
    trap uninstall EXIT

    # One such test at a time on a machine, from whichever build.
    exec 9>"/tmp/quillane-package-test.lock"
    flock -w 600 9 || fail "another package test holds the machine"
    if dpkg-query -W -f='${Status}' quillane 2>/dev/null | grep -q 'ok installed'; then
        echo "SKIP: a quillane package is already installed here; the test would replace and remove it"
        exit 77
    fi

    installed=yes
    dpkg_locked --install "$deb" || fail "dpkg cannot install the package"
    [ -x /usr/bin/quillane ] || fail "the package put no program into /usr/bin"

    start_display "$work"
    mkdir -p "$work/home"
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    local caption='基本設定' status

    # With the fonts the package depends on.
    start_program
    [[ $boxes != *"[Quillane]"* ]] || fail "with a Japanese font installed the program warned first: $boxes"
    QT_QPA_PLATFORM=xcb "$probe" "$main" "$caption" || fail "the caption is not drawn in Japanese"
    end_program

    # With every font that covers Japanese hidden: the notice comes first,
    # and the same probe sees boxes.
    cat >"$work/fonts.conf" <<'EOF'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <selectfont><rejectfont><pattern><patelt name="lang"><string>ja</string></patelt></pattern></rejectfont></selectfont>
</fontconfig>
EOF
    start_program FONTCONFIG_FILE="$work/fonts.conf"
    [[ $boxes == "[Quillane]"* ]] || fail "without a Japanese font the program did not warn first: $boxes"
    status=0
    QT_QPA_PLATFORM=xcb "$probe" "$main" "$caption" || status=$?
    [ "$status" -eq 1 ] || fail "the probe did not see boxes without a Japanese font (status $status)"
    end_program

    dpkg_locked --purge quillane >/dev/null || fail "dpkg cannot remove the package"
    installed=""
    [ ! -e /usr/bin/quillane ] || fail "the program stays after the package was removed"
    echo "PASS: installed, started, drawn in Japanese, removed"
}

case "$mode" in
build | lint) "$mode" "${@:3}" ;;
install) install_and_run "${@:3}" ;;
*) fail "unknown mode $mode" ;;
esac
