#!/usr/bin/env bash
# Cross-builds the Windows programs with mingw-w64 (build-win/), with the zip and the installer
# for Windows users, and runs their tests under 64-bit wine in a wine prefix and on a display of
# their own (scripts/wine-session.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-windows.sh

source scripts/wine-session.sh
start_wine_session
ctest --test-dir build-win --output-on-failure -j "$(nproc)"
