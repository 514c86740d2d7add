#!/usr/bin/env bash
# Installs everything the build, the tests and the packaging need, from Debian 12's packages.
# Non-interactive and safe to run again: it asks apt only when something is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config       # build
    qt6-base-dev qt6-serialport-dev libgl-dev   # Qt 6 Widgets and SerialPort
    libgtest-dev libgmock-dev                   # tests
    fonts-liberation2                           # the window's font where MS Sans Serif is missing
    clang-format                                # formatting
    dpkg-dev file                               # the .deb package
    lintian devscripts                          # the package's checks (devscripts: hardening-check)
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "setup: installing ${missing[*]}"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
