#!/usr/bin/env bash
# Builds the Debian package into a scratch directory and checks it as Debian would: what dpkg-deb
# says of it (the programs, their manual pages, the desktop entry, the icon, the udev rule, the
# copyright and changelog, dependencies that draw the window), lintian without a single error,
# and hardened programs.
set -euo pipefail
build_dir="$1"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
(cd "$build_dir" && cpack -B "$out" >/dev/null)
deb="$(ls "$out"/*.deb)"
info="$(dpkg-deb -I "$deb")"
files="$(dpkg-deb -c "$deb")"
status=0
programs=(zelmark-updater zelmark-flash zelmark-updater-demo)
expected=(./usr/share/applications/zelmark-updater.desktop
          ./usr/share/icons/hicolor/48x48/apps/zelmark-updater.png
          ./usr/lib/udev/rules.d/60-zelmark.rules
          ./usr/share/doc/zelmark-updater/copyright
          ./usr/share/doc/zelmark-updater/changelog.gz)
for program in "${programs[@]}"; do
    expected+=("./usr/bin/$program" "./usr/share/man/man1/$program.1.gz")
done
for file in "${expected[@]}"; do
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

# lintian: every error fails the test; warnings and notes are shown.
for tool in lintian hardening-check; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing: scripts/setup.sh installs it"
        exit 1
    fi
done
if ! report="$(lintian --fail-on none "$deb" 2>&1)"; then
    echo "lintian did not run:"
    status=1
fi
if [ -n "$report" ]; then
    echo "$report"
fi
if grep -q "^E: " <<<"$report"; then
    echo "lintian reports errors"
    status=1
fi

# Hardening as Debian 12 builds: PIE, stack protector, fortified functions, RELRO and immediate
# binding. Control-flow protection is not asked for: Debian 12's C start files are built without
# it, so no program linked on it can carry the property.
dpkg-deb -x "$deb" "$out/root"
for program in "${programs[@]}"; do
    if ! hardening-check --nocfprotection "$out/root/usr/bin/$program"; then
        status=1
    fi
done
exit $status
