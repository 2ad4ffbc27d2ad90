#!/usr/bin/env bash
# Builds the Windows programs and starts Tolvek.exe under Wine on this display, in a private
# Wine prefix (build/run-prefix) where it is installed into C:\Tolvek with its record.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-windows-tools.sh
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j "$(nproc)" --target Tolvek

export WINEPREFIX="$PWD/build/run-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/.update-timestamp" ]; then
    "$wine" wineboot -i >build/run-wineboot.log 2>&1
    echo disable >"$WINEPREFIX/.update-timestamp"
fi
install_dir="$WINEPREFIX/drive_c/Tolvek"
mkdir -p "$install_dir"
cp build/win/tray/Tolvek.exe "$install_dir/"
# The installation record, as the installer writes it.
"$wine" reg add 'HKLM\software\microsoft\windows\currentversion\uninstall\tolvek' /v Path /d 'C:\Tolvek' /f >/dev/null 2>&1

if [ -z "${DISPLAY:-}" ]; then
    echo "No DISPLAY: starting a virtual one (Xvfb :99); nothing will be visible." >&2
    Xvfb :99 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    export DISPLAY=:99
    sleep 1
fi
echo "Tolvek runs in the notification area; choose \"Shut down\" from its menu to end it."
exec "$wine" "$install_dir/Tolvek.exe" >build/run-tolvek.log 2>&1
