#!/usr/bin/env bash
# Builds the programs and runs both benchmarks: the update on the virtual clock (zelmark-bench)
# and zelmark-flash in real time through a pseudo-terminal (zelmark-realtime-bench).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "# virtual clock"
build/bench/zelmark-bench
echo "# real time"
build/bench/zelmark-realtime-bench build/src/cli/zelmark-flash build/tools/zelmark-window-startup
echo "# Windows, under wine"
scripts/benchmark-windows.sh
