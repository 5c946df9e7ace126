#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The running program's memory over many wallpaper changes: starts muralo32 on a private
# Xvfb with a queue of one 6000x4000 JPEG, hands it N changes through murctl, and prints
# its resident size when idle, the highest seen between changes, and at the end.
#
#   bench/soak-changes.sh [BUILD_DIR] [CHANGES]      (defaults: build-bench, 1000)
set -euo pipefail

build=$(realpath "${1:-build-bench}")
changes=${2:-1000}
murctl=$build/src/murctl
source "$(dirname "$0")/change-session.sh"
start_program "$build"
rss() { awk '/^VmRSS/ {print $2}' "/proc/$program/status"; }
idle=$(rss)
highest=$idle
for i in $(seq "$changes"); do
    "$murctl" change >/dev/null
    now=$(rss)
    [ "$now" -gt "$highest" ] && highest=$now
    [ $((i % 100)) -eq 0 ] && echo "after $i changes: $((now / 1024)) MB"
done
sleep 1
peak=$(awk '/^VmHWM/ {print $2}' "/proc/$program/status")
printf 'idle %d MB, highest after a change %d MB (+%d), at the end %d MB (+%d), %d changes\n' \
    $((idle / 1024)) $((highest / 1024)) $(((highest - idle) / 1024)) $(($(rss) / 1024)) $((($(rss) - idle) / 1024)) "$changes"
printf 'peak resident size at any moment, during a change included: %d MB (+%d over idle)\n' \
    $((peak / 1024)) $(((peak - idle) / 1024))
