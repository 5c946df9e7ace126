#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds everything with AddressSanitizer and UBSan
# (warnings are errors here) and runs the whole test suite through CTest,
# including one pass of the fuzz targets (clang/libFuzzer) over their seed corpora.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
jobs=$(nproc)

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DMURALO_SANITIZE=ON -DMURALO_WERROR=ON -DMURALO_TESTS=ON -DMURALO_BENCH=OFF -DMURALO_FUZZ=OFF
cmake --build build-test -j"$jobs"

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DMURALO_TESTS=OFF -DMURALO_FUZZ=ON
cmake --build build-fuzz -j"$jobs" --target fuzz_queue_load fuzz_picbuf_load

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
ctest --test-dir build-fuzz --output-on-failure || status=1
ctest --test-dir build-test --output-on-failure -j"$jobs" --timeout 600 || status=1
exit $status
