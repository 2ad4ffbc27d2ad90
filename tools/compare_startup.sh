#!/usr/bin/env bash
# Start-up of two builds of the tray program, measured alike and alternately in one Wine
# prefix: milliseconds from process start to the tray icon, with an empty diary. With
# "managed", Wine manages the windows as it does by default (the other tests turn that off:
# with no window manager on Xvfb, it then waits for each managed window that is hidden).
#   compare_startup.sh A.exe B.exe measure_tray.exe outside_robot.exe [ROUNDS [managed]]
set -euo pipefail
a=$(realpath "$1")
b=$(realpath "$2")
measure=$(realpath "$3")
robot=$(realpath "$4")
rounds=${5:-5}
managed=${6:-}
source "$(dirname "$0")/../scripts/wine-env.sh"
trap wine_cleanup EXIT
start_display
make_prefix "$prefix"

W() { WINEPREFIX="$prefix" timeout 60 "$wine" "$@"; }
if [ "$managed" == managed ]; then W reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1; fi
W reg add 'HKLM\software\microsoft\windows\currentversion\uninstall\tolvek' /v Path /d 'C:\Tolvek' /f >/dev/null 2>&1
mkdir -p "$prefix/drive_c/Tolvek"
cp "$a" "$prefix/drive_c/Tolvek/A.exe"
cp "$b" "$prefix/drive_c/Tolvek/B.exe"
cp "$measure" "$robot" "$prefix/drive_c/"
once() {  # once A|B: one start, measured, then "Shut down"; prints the milliseconds
    # Into files, not pipes: the started program inherits the output and keeps a pipe open.
    W 'C:\measure_tray.exe' tolvek "C:\\Tolvek\\$1.exe" >"$work/once.txt"
    W 'C:\outside_robot.exe' shutdown >>"$work/robot.log" 2>&1
    while pgrep -f "^C:.Tolvek.$1.exe" >/dev/null; do sleep 0.2; done
    tr -d '\r' <"$work/once.txt" | sed -n 's/icon_ms=//p'
}
once A >/dev/null  # the first start creates the data file; not counted
once B >/dev/null
for _ in $(seq "$rounds"); do
    echo "A $(once A)"
    echo "B $(once B)"
done | tee "$work/all.txt"
for which in A B; do
    echo "$which: $(sed -n "s/^$which //p" "$work/all.txt" | sort -n | tr '\n' ' ')ms (sorted)"
done
