#!/usr/bin/env bash
# Builds the updater and starts the demo: the window on the built-in virtual Zelmark, with the
# virtual device's panel beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec build/src/demo/zelmark-updater-demo "$@"
