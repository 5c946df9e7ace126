#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian package into a minimal Debian 12 root that has never seen the project and
# checks it there as a user would meet it. Run as root:
#   ./scripts/package-test.sh [PACKAGE.deb] [ROOT]
# Without a package it builds one (scripts/package.sh). ROOT (default /srv/pkgroot) is made with
# debootstrap when missing and is never changed: every run works on a fresh copy of it, ROOT-run.
# Leaves a screenshot of the installed program in build/package-screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "package-test.sh: run as root (it uses debootstrap and chroot)" >&2; exit 2; }

deb=${1:-}
base=${2:-/srv/pkgroot}
mirror=${MURALO_MIRROR:-http://deb.debian.org/debian}
if [ -z "$deb" ]; then deb=$(./scripts/package.sh | tail -n 1); fi
[ -f "$deb" ] || { echo "package-test.sh: no package at '$deb'" >&2; exit 2; }

need=()
command -v debootstrap >/dev/null || need+=(debootstrap)
command -v gm >/dev/null || need+=(graphicsmagick)
if [ ${#need[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q && apt-get install -y -q --no-install-recommends "${need[@]}"
fi
if [ ! -x "$base/bin/bash" ]; then
    debootstrap --variant=minbase bookworm "$base" "$mirror"
fi

root="$base-run"
unmount() {
    for dir in "$root/dev" "$root/sys" "$root/proc"; do
        if mountpoint -q "$dir"; then umount -R "$dir" || umount -lR "$dir"; fi
    done
}
trap unmount EXIT
unmount
rm -rf "$root"
cp -a --reflink=auto "$base" "$root"
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
# rslave: unmounting the root's /dev later must not unmount the machine's own.
mount --rbind /dev "$root/dev" && mount --make-rslave "$root/dev"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
cp scripts/package-checks.sh "$root/tmp/"

chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    bash /tmp/package-checks.sh "/tmp/$(basename "$deb")" && status=0 || status=$?

mkdir -p build
if [ -s "$root/tmp/screen.xwd" ]; then
    gm convert "xwd:$root/tmp/screen.xwd" build/package-screenshot.png
    echo "Screenshot: build/package-screenshot.png"
fi
exit $status
