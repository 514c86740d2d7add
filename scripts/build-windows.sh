#!/usr/bin/env bash
# Cross-builds the Windows part with mingw-w64 into build-win/ (warnings as errors), after
# installing what it needs (setup-windows.sh). Arguments: build targets (default: all).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-windows.sh
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELMARK_WERROR=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/lib/wine/wine64 >/dev/null
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
cmake --build build-win -j "$(nproc)" "${targets[@]}"
