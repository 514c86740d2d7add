#!/usr/bin/env bash
# Builds the Debian package into a scratch directory and checks what dpkg-deb says of it: the
# programs, the desktop entry, the icon, the udev rule, and dependencies that draw the window.
set -euo pipefail
build_dir="$1"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
(cd "$build_dir" && cpack -B "$out" >/dev/null)
deb="$(ls "$out"/*.deb)"
info="$(dpkg-deb -I "$deb")"
files="$(dpkg-deb -c "$deb")"
status=0
for file in ./usr/bin/zelmark-updater ./usr/bin/zelmark-flash ./usr/bin/zelmark-updater-demo \
            ./usr/share/applications/zelmark-updater.desktop \
            ./usr/share/icons/hicolor/48x48/apps/zelmark-updater.png \
            ./usr/lib/udev/rules.d/60-zelmark.rules; do
    if ! grep -q " $file\$" <<<"$files"; then
        echo "missing from the package: $file"
        status=1
    fi
done
for dependency in libqt6widgets6 libqt6serialport6 qt6-qpa-plugins fonts-liberation2; do
    if ! grep -q "^ Depends:.*$dependency" <<<"$info"; then
        echo "missing dependency: $dependency"
        status=1
    fi
done
exit $status
