#!/usr/bin/env bash
# Configuring the project with an image shorter than 46752 bytes must fail, saying why.
set -uo pipefail
source_dir="$1"
image="$2"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
log="$(cmake -S "$source_dir" -B "$out" -DZELMARK_BUILD_TESTS=OFF -DZELMARK_FIRMWARE_IMAGE="$image" 2>&1)"
status=$?
if [ $status -eq 0 ]; then
    echo "configuring with a short image succeeded"
    exit 1
fi
if ! tr -s " \n" "  " <<<"$log" | grep -q "holds 46751 bytes; an image must hold at least 46752 bytes"; then
    echo "no clear message:"
    echo "$log"
    exit 1
fi
