#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages that building, running and testing Muralo32 need.
# Idempotent: does nothing (and needs no network) when everything is there.
# With package names as arguments, installs those instead (the packaging script's tools).
set -euo pipefail

packages=("$@")
[ $# -gt 0 ] || packages=(
    # build
    cmake ninja-build g++ pkg-config ccache clang libclang-rt-14-dev
    # libraries
    qt6-base-dev libgl-dev libgraphicsmagick++1-dev libsdl2-mixer-dev libx11-dev libxss-dev libglib2.0-dev libjpeg62-turbo-dev
    # runtime data: MIDI soundfont, desktop schemas
    timgm6mb-soundfont gsettings-desktop-schemas
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev graphicsmagick groff-base
    xvfb xauth openbox x11-utils x11-xserver-utils x11-apps xdotool trayer dbus xfconf libxfconf-0-3
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
