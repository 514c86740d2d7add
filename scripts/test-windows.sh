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
xvfb_pid=""
cleanup() {
    wineserver -k 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# A display of its own for the windows under test: Xvfb picks a free display number and writes
# it to the file descriptor it is given.
display_file="$WINEPREFIX.display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    sleep 0.1
done
export DISPLAY=":$(cat "$display_file")"
rm -f "$display_file"

# A wine server that stays up between the tests, or each test pays for starting one; and the
# prefix made once before ctest starts, or ctest can hang while several tests make it at once.
wineserver -p
/usr/lib/wine/wine64 cmd /c exit
# The window's font, "MS Sans Serif", and the faces wine draws its controls with.
cp /usr/share/wine/fonts/{ms_sans_serif.ttf,sserife.fon,marlett.ttf,tahoma*.ttf} \
    "$WINEPREFIX/drive_c/windows/Fonts/"
# Without a window manager wine draws the windows' frames and title bars itself only when told.
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    >/dev/null

ctest --test-dir build-win --output-on-failure -j "$(nproc)"
