# Sourced by the scripts that run Windows programs under wine (test-windows.sh,
# window-screenshot-windows.sh): a wine prefix of their own, made afresh under /tmp, with a
# display of its own (Xvfb), both removed when the script exits.
#   start_wine_session
# Exports WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES and DISPLAY.

start_wine_session() {
    export WINEPREFIX
    WINEPREFIX="$(mktemp -d /tmp/zelmark-wine.XXXXXX)"
    export WINEDEBUG=-all
    # No Mono or Gecko: nothing here needs them, and wine would offer to install them.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    wine_session_xvfb=""
    trap stop_wine_session EXIT

    # Xvfb picks a free display number and writes it to the file descriptor it is given.
    local display_file="$WINEPREFIX.display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
    wine_session_xvfb=$!
    for _ in $(seq 100); do
        [ -s "$display_file" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(cat "$display_file")"
    rm -f "$display_file"

    # A wine server that stays up between the programs, or each pays for starting one; and the
    # prefix made once before anything runs in parallel, or ctest can hang while several tests
    # make it at once.
    wineserver -p
    /usr/lib/wine/wine64 cmd /c exit
    # The window's font, "MS Sans Serif", and the faces wine draws its controls with.
    cp /usr/share/wine/fonts/{ms_sans_serif.ttf,sserife.fon,marlett.ttf,tahoma*.ttf} \
        "$WINEPREFIX/drive_c/windows/Fonts/"
    # Without a window manager wine draws the windows' frames and title bars itself only when
    # told; and no Linux menu entries or icons from the Start-menu entries that installers make.
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        >/dev/null
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe \
        /t REG_SZ /d "" /f >/dev/null
}

stop_wine_session() {
    wineserver -k 2>/dev/null || true
    if [ -n "${wine_session_xvfb:-}" ]; then
        kill "$wine_session_xvfb" 2>/dev/null || true
    fi
    rm -rf "$WINEPREFIX"
}
