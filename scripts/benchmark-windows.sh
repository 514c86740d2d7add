#!/usr/bin/env bash
# The Windows program's figures under wine (bench/win32bench.cpp): win_window_shown_ms, and the
# real-time update through the stand-in USB library against the device's limit,
# win_update_ratio. Prints "name value" lines.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-windows.sh zelmark-win-bench >/dev/null

source scripts/wine-session.sh
start_wine_session >/dev/null 2>&1
/usr/lib/wine/wine64 build-win/bin/zelmark-win-bench.exe
