#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# One wallpaper change of a 6000x4000 JPEG onto a 1920x1080 X root, by murctl and by two
# other root-window setters (feh --bg-max, hsetroot -full), on the same generated image
# and the same Xvfb, alternating, as whole processes. Prints the median wall time and
# peak resident size of each, and murctl's ratios to the others. Then the same change
# handed to a running muralo32 (murctl change with the program up), and the program's
# resident size before and after those changes.
#
#   bench/compare-peers.sh [BUILD_DIR] [ROUNDS]      (defaults: build-bench, 7)
#
# BUILD_DIR holds a Release build (src/murctl, src/muralo32). Needs feh, hsetroot,
# graphicsmagick, xvfb and GNU time: `apt-get install feh hsetroot graphicsmagick xvfb time`.
set -euo pipefail

build=$(realpath "${1:-build-bench}")
rounds=${2:-7}
murctl=$build/src/murctl
muralo=$build/src/muralo32
for tool in feh hsetroot gm Xvfb /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
[ -x "$murctl" ] || { echo "no $murctl: build first (Release, -DMURALO_BENCH=ON)" >&2; exit 1; }

source "$(dirname "$0")/change-session.sh"

# Runs a command once and appends "seconds kilobytes" to the named file.
measure() {
    local out=$1
    shift
    /usr/bin/time -f '%e %M' -o "$work/one" "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    cat "$work/one" >>"$work/$out"
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
report() {
    local name=$1 file=$2
    t=$(cut -d' ' -f1 "$work/$file" | median)
    m=$(cut -d' ' -f2 "$work/$file" | median)
    printf '%-44s %6.3f s %6.0f MB\n' "$name" "$t" "$(echo "$m / 1024" | bc -l)"
    eval "time_$file=$t mem_$file=$m"
}

# The first run of each warms the file cache and the libraries.
feh --bg-max "$image" && hsetroot -full "$image" >/dev/null && "$murctl" change --queue "$queue" >/dev/null
for _ in $(seq "$rounds"); do
    measure murctl "$murctl" change --queue "$queue"
    measure feh feh --bg-max "$image"
    measure hsetroot hsetroot -full "$image"
done

echo "median of $rounds runs, 6000x4000 JPEG onto a 1920x1080 root:"
report "murctl change --queue q.qu3 (standalone)" murctl
report "feh --bg-max" feh
report "hsetroot -full" hsetroot
printf 'murctl / feh:      %.2f of the time\n' "$(echo "$time_murctl / $time_feh" | bc -l)"
printf 'murctl / hsetroot: %.2f of the time\n' "$(echo "$time_murctl / $time_hsetroot" | bc -l)"

# The running program: murctl hands the change to it.
[ -x "$muralo" ] || exit 0
start_program "$build"
rss() { awk '/^VmRSS/ {print $2}' "/proc/$program/status"; }
idle=$(rss)
"$murctl" change >/dev/null
for _ in $(seq "$rounds"); do measure handed "$murctl" change; done
after=$(rss)
report "murctl change (handed to muralo32)" handed
peak=$(awk '/^VmHWM/ {print $2}' "/proc/$program/status")
printf 'muralo32 resident: %d MB idle, %d MB after %d changes, %d MB at its peak\n' $((idle / 1024)) $((after / 1024)) \
    $((rounds + 1)) $((peak / 1024))
