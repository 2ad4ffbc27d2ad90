#!/usr/bin/env bash
# Builds the programs and starts Tolvek.exe under Wine on this display, in a private Wine
# prefix (build/run-prefix). The first time, the real Setup.exe installs it there: you answer
# its questions on your display; without a display they are answered for you on a virtual one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-windows-tools.sh
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j "$(nproc)" --target shipped_set outside_robot

export WINEPREFIX="$PWD/build/run-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine links the home's Desktop and Documents into the prefix: a home of its own keeps the
# installation inside build/.
export HOME="$PWD/build/run-home"
mkdir -p "$HOME"
wine=/usr/lib/wine/wine64
answered_for_you=""
if [ -z "${DISPLAY:-}" ]; then
    echo "No DISPLAY: starting a virtual one (Xvfb :99); nothing will be visible." >&2
    Xvfb :99 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    export DISPLAY=:99
    sleep 1
    answered_for_you=yes
fi
if [ ! -f "$WINEPREFIX/.update-timestamp" ]; then
    "$wine" wineboot -i >build/run-wineboot.log 2>&1
    echo disable >"$WINEPREFIX/.update-timestamp"
fi

record='HKLM\software\microsoft\windows\currentversion\uninstall\tolvek'
installed() { "$wine" reg query "$record" /v Path 2>/dev/null | tr -d '\r' | sed -n 's/^ *Path *REG_SZ *//p'; }
if [ -z "$(installed)" ]; then
    echo "Installing with Setup.exe..."
    shipped="$WINEPREFIX/drive_c/shipped"
    mkdir -p "$shipped"
    cp build/win/shipped/* "$shipped/"
    (cd "$shipped" && "$wine" Setup.exe >../../run-setup.log 2>&1) & setup=$!
    if [ -n "$answered_for_you" ]; then
        robot="$PWD/build/win/tools/outside_robot.exe"
        "$wine" "$robot" box "Tolvek Diary Installer" 1 >/dev/null 2>&1  # Welcome
        "$wine" "$robot" browse >/dev/null 2>&1                         # the first folder
        "$wine" "$robot" box "Tolvek Diary Installer" 1 >/dev/null 2>&1  # Confirm
        "$wine" "$robot" box "Tolvek Diary Installer:" 1 >/dev/null 2>&1 # Done
    fi
    wait $setup
fi
directory=$(installed)
[ -n "$directory" ] || { echo "Tolvek is not installed: Setup was cancelled." >&2; exit 1; }
echo "Tolvek runs in the notification area; choose \"Shut down\" from its menu to end it."
exec "$wine" "$directory\\Tolvek.exe" >build/run-tolvek.log 2>&1
