#!/usr/bin/env bash
# Builds everything and runs every test: once as built for use, once under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the Windows programs cross-built with mingw-w64 and tested under
# wine (scripts/test-windows.sh). Warnings are errors in every build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELMARK_WERROR=ON
ctest --test-dir build --output-on-failure -j "$(nproc)"

scripts/build.sh build-sanitize -DCMAKE_BUILD_TYPE=Debug -DZELMARK_WERROR=ON -DZELMARK_SANITIZE=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)"

# The Windows part: installs the cross toolchain, wine and NSIS on first use.
env -u ASAN_OPTIONS -u LSAN_OPTIONS -u UBSAN_OPTIONS scripts/test-windows.sh
