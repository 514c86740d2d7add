#!/usr/bin/env bash
# Installs what the Windows build and its tests under wine need, from Debian 12's packages: the
# mingw-w64 cross compilers, wine, GoogleTest's sources, Xvfb, NSIS and zip. Kept apart from
# setup.sh so that the Linux demo never pulls in the Windows toolchain (about 2 GB).
# Non-interactive and safe to run again: it asks apt only when something is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

packages=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix  # posix thread model: std::thread, gtest
    binutils-mingw-w64-x86-64                              # windres, the resource compiler
    googletest                                             # /usr/src/googletest, built for Windows
    wine wine64 fonts-wine                                 # 64-bit wine only (never wine32)
    xvfb xauth                                             # a display for the window under wine
    # what wine's X11 driver loads at run time to draw windows (recommended, not required, by
    # libwine; recommendations are left out because one of them is wine32)
    libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1 libxfixes3 libxxf86vm1
    nsis zip                                               # the installer and the zip
)

source scripts/install-missing.sh
# No recommendations: wine64 recommends wine32, which these 64-bit-only machines must not get.
install_missing setup-windows --no-install-recommends -- "${packages[@]}"
