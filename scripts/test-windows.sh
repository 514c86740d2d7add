#!/usr/bin/env bash
# Cross-builds the Windows programs with mingw-w64 (build-win/) and runs their tests under
# 64-bit wine in a wine prefix of its own, made afresh under /tmp and removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-windows.sh

cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELMARK_WERROR=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/lib/wine/wine64 >/dev/null
cmake --build build-win -j "$(nproc)"

export WINEPREFIX
WINEPREFIX="$(mktemp -d /tmp/zelmark-wine.XXXXXX)"
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and wine would offer to install them.
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# A wine server that stays up between the tests, or each test pays for starting one; and the
# prefix made once before ctest starts, or ctest can hang while several tests make it at once.
wineserver -p
/usr/lib/wine/wine64 cmd /c exit
# The window's font, "MS Sans Serif", and the faces wine draws its controls with.
cp /usr/share/wine/fonts/{ms_sans_serif.ttf,sserife.fon,marlett.ttf,tahoma*.ttf} \
    "$WINEPREFIX/drive_c/windows/Fonts/"

ctest --test-dir build-win --output-on-failure -j "$(nproc)"
