#!/usr/bin/env bash
# Cross-builds the Windows programs with mingw-w64 (build-win/), with the zip and the installer
# for Windows users, and runs their tests under 64-bit wine in a wine prefix and on a display of
# their own (scripts/wine-session.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-windows.sh

cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELMARK_WERROR=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/lib/wine/wine64 >/dev/null
cmake --build build-win -j "$(nproc)"

source scripts/wine-session.sh
start_wine_session
ctest --test-dir build-win --output-on-failure -j "$(nproc)"
