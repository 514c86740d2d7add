#!/usr/bin/env bash
# Configures and builds one build directory:  scripts/build.sh DIRECTORY [CMAKE OPTIONS...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir="$1"
shift
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir"
