#!/usr/bin/env bash
# Pictures of zelmark-updater.exe's window as Windows draws it, taken under wine against the
# stand-in USB library: docs/window-win.png (as it opens) and docs/window-win-ready.png (a device
# read, UPDATE armed). Needs the Windows build (scripts/test-windows.sh makes it).
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs}"
shot=build-win/bin/win32_window_screenshot.exe
if [ ! -f "$shot" ]; then
    echo "window-screenshot-windows: build the Windows part first (scripts/test-windows.sh)" >&2
    exit 1
fi

source scripts/wine-session.sh
start_wine_session

take() {
    local bmp="$WINEPREFIX/drive_c/window.bmp"
    /usr/lib/wine/wine64 "$shot" 'C:\window.bmp' "$@"
    python3 - "$bmp" "$png" <<'PYTHON'
# A 24-bit bottom-up BMP to an RGB PNG.
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
offset, = struct.unpack_from('<I', data, 10)
width, height, _, bits = struct.unpack_from('<iiHH', data, 18)
assert bits == 24 and height > 0
stride = (width * 3 + 3) // 4 * 4
rows = []
for y in range(height):
    bgr = data[offset + (height - 1 - y) * stride:][:width * 3]
    rgb = bytearray(width * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
    rows.append(b'\0' + bytes(rgb))
def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
open(sys.argv[2], 'wb').write(
    b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)) +
    chunk(b'IDAT', zlib.compress(b''.join(rows), 9)) + chunk(b'IEND', b''))
PYTHON
    echo "window-screenshot-windows: $png"
}
png="$out/window-win.png" take
png="$out/window-win-ready.png" take ready
