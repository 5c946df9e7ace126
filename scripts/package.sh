#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Release tree in build-package/ with Debian's hardening flags and makes the Debian
# package from it. The last line printed is the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

# dpkg-shlibdeps (dpkg-dev) works out the package's library dependencies; CPack runs `file` on
# every installed file to find the programs among them.
./scripts/install-deps.sh dpkg-dev file

export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
# As Debian builds its own packages, with every hardening feature: stack protector, fortified
# functions, relocations read-only and resolved at start.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DMURALO_TESTS=OFF -DMURALO_BENCH=OFF -DMURALO_FUZZ=OFF -DMURALO_SANITIZE=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags"
cmake --build build-package -j"${MURALO_JOBS:-$(nproc)}"
rm -f build-package/muralo32_*.deb
(cd build-package && cpack -G DEB)
ls build-package/muralo32_*.deb
