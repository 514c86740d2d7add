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

source "$(dirname "$0")/install-missing.sh"
install_missing setup -- "${packages[@]}"
