#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fuzzes one target for a while by hand (not part of the test command):
#   ./scripts/fuzz.sh queue|picbuf [SECONDS]
# New inputs go to build-fuzz/corpus-NAME; copy the interesting ones into fuzz/corpus/
# when they should become seeds.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
target=${1:?usage: fuzz.sh queue|picbuf [SECONDS]}
seconds=${2:-300}
case $target in
    queue) name=fuzz_queue_load seeds=fuzz/corpus/queue flags=(-max_len=40000 -rss_limit_mb=2048) ;;
    picbuf) name=fuzz_picbuf_load seeds=fuzz/corpus/images flags=(-max_len=65536 -rss_limit_mb=3072 -malloc_limit_mb=2048) ;;
    *) echo "fuzz.sh: unknown target '$target' (queue or picbuf)" >&2; exit 2 ;;
esac
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DMURALO_TESTS=OFF -DMURALO_FUZZ=ON
cmake --build build-fuzz -j"$(nproc)" --target "$name"
mkdir -p "build-fuzz/corpus-$target"
exec "build-fuzz/fuzz/$name" -max_total_time="$seconds" "${flags[@]}" "build-fuzz/corpus-$target" "$seeds"
