#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# only those that are missing, so a second run does no network work.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev googletest libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n qt6-tools-dev qt6-l10n-tools
  libfontconfig-dev fonts-ipafont-gothic adwaita-icon-theme
  xvfb xauth xdotool x11-utils openbox
  fuse3 libfuse3-dev
  dpkg-dev file librsvg2-bin lintian appstream desktop-file-utils
  g++-mingw-w64-x86-64-posix
  wine wine64
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
