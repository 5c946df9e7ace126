#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The same work as bench_render, done by the gm command line, for comparison.
set -euo pipefail
img=${TMPDIR:-/tmp}/muralo-bench-6000x4000.jpg
[ -f "$img" ] || { echo "run bench_render first (it makes $img)"; exit 1; }
out=$(mktemp -d)
t() { local s e; s=$(date +%s.%N); "$@"; e=$(date +%s.%N); printf '%-60s %6.0f ms\n' "$*" "$(echo "($e - $s) * 1000" | bc)"; }
for i in 1 2 3; do
  t gm convert "$img" -resize 1620x1080 "BMP3:$out/a.bmp"
  t gm convert -size 1620x1080 "$img" -resize 1620x1080 "BMP3:$out/b.bmp"
  t gm convert -size 1620x1080 "$img" -resize 1620x1080 -gamma 1.5 "BMP3:$out/c.bmp"
  t gm convert -size 1620x1080 "$img" -resize 1620x1080 -colors 236 "BMP3:$out/d.bmp"
  t gm convert -size 152x114 "$img" -resize 152x114 -quality 95 "$out/t.jpg"
done
rm -rf "$out"
