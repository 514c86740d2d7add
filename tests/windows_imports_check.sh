#!/usr/bin/env bash
# The Windows program is a 64-bit PE (PE32+) that imports only DLLs that come with Windows: the
# static build carries the C++ runtime, and the device's library is loaded at run time.
#   windows_imports_check.sh OBJDUMP PROGRAM.exe
set -euo pipefail
objdump="$1"
program="$2"
allowed="kernel32.dll user32.dll gdi32.dll comctl32.dll uxtheme.dll msvcrt.dll winmm.dll advapi32.dll"
headers="$("$objdump" -p "$program")"
if ! grep -Eq "^Magic[[:space:]]+020b[[:space:]]+\(PE32\+\)" <<<"$headers"; then
    echo "$program is not PE32+:" >&2
    grep -E "^Magic" <<<"$headers" >&2 || true
    exit 1
fi
imports="$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '[:upper:]' '[:lower:]' | sort -u)"
if [ -z "$imports" ]; then
    echo "$program: no imports found" >&2
    exit 1
fi
status=0
for dll in $imports; do
    if ! grep -qw -- "$dll" <<<"$allowed"; then
        echo "$program imports $dll, which is not one of Windows' own DLLs" >&2
        status=1
    fi
done
echo "$program: PE32+, imports" $imports
exit $status
