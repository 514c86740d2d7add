#!/usr/bin/env bash
# The zip for Windows users holds, in a folder of its name, the program and its read-me and
# nothing else (no USB library); the read-me has Windows line ends and tells, in English and
# Danish, which driver to install and where SiUSBXp.dll goes.
#   windows_zip_check.sh ZIP
set -euo pipefail
zip="$1"
folder="$(basename "$zip" .zip)"
expected="$(printf '%s/\n%s/README.txt\n%s/zelmark-updater.exe\n' "$folder" "$folder" "$folder")"
actual="$(unzip -Z1 "$zip" | sort)"
if [ "$actual" != "$expected" ]; then
    printf 'the zip holds:\n%s\nexpected:\n%s\n' "$actual" "$expected" >&2
    exit 1
fi
readme="$(unzip -p "$zip" "$folder/README.txt")"
status=0
for phrase in "ENGLISH" "DANSK" "USB driver" "Zelmarks USB driver" \
    "into the same folder as zelmark-updater.exe" "til samme mappe som zelmark-updater.exe"; do
    if ! grep -q -- "$phrase" <<<"$readme"; then
        echo "the read-me lacks \"$phrase\"" >&2
        status=1
    fi
done
lines="$(wc -l <<<"$readme")"
crlf_lines="$(grep -c $'\r$' <<<"$readme" || true)"
if [ "$crlf_lines" -ne "$lines" ]; then
    echo "the read-me has $crlf_lines of $lines lines with Windows line ends" >&2
    status=1
fi
exit $status
