#!/usr/bin/env bash
# Peak memory and time to idle of the tray program under Wine with diaries of 0, 1,000,
# 10,000 and 100,000 notes, each against the bare tray program (tools/bare_tray.cpp) measured
# in the same rounds: the peak is the VmHWM of the Wine process once the program is idle (its
# tray icon exists and a message sent to its window has come back). The diaries hold no note
# that is due or has passed, so no window opens. Prints every round, then the medians.
#   measure_memory.sh Tolvek.exe measure_tray.exe outside_robot.exe bare_tray.exe [ROUNDS]
set -euo pipefail
tolvek=$(realpath "$1")
measure=$(realpath "$2")
robot=$(realpath "$3")
bare=$(realpath "$4")
rounds=${5:-3}
sizes=(${TOLVEK_MEASURE_SIZES:-0 1000 10000 100000})
source "$(dirname "$0")/../scripts/wine-env.sh"
trap wine_cleanup EXIT
start_display
make_prefix "$prefix"

W() { WINEPREFIX="$prefix" timeout 300 "$wine" "$@"; }
W reg add 'HKLM\software\microsoft\windows\currentversion\uninstall\tolvek' /v Path /d 'C:\Tolvek' /f >/dev/null 2>&1
install_dir="$prefix/drive_c/Tolvek"
mkdir -p "$install_dir"
cp "$tolvek" "$install_dir/Tolvek.exe"
cp "$measure" "$bare" "$robot" "$prefix/drive_c/"
for notes in "${sizes[@]}"; do
    /usr/bin/python3 - "$work/diary-$notes.dat" "$notes" <<'PY'
import random, struct, sys
random.seed(7)
notes = int(sys.argv[2])
data = bytearray(struct.pack("<iI", 11, notes))
for i in range(notes):  # none due and none passed: a quiet start
    data += struct.pack("<6i", random.randint(2040, 2049), random.randint(1, 12), random.randint(1, 28),
                        random.randint(0, 2), 4, 0) + ("note %d" % i).encode().ljust(100, b"\0")
data += struct.pack("<ii", 0, 11)
open(sys.argv[1], "wb").write(data)
PY
done

peak_kb() {  # peak_kb PATTERN: the VmHWM of the Wine process whose command line matches
    local pid; pid=$(pgrep -f "$1" | head -n 1)
    awk '/^VmHWM/ {print $2}' "/proc/$pid/status"
}
gone() {  # gone PATTERN: waits until no such process is left
    for _ in $(seq 600); do pgrep -f "$1" >/dev/null || return 0; sleep 0.1; done
    echo "still running: $1" >&2; return 1
}
idle_ms() { tr -d '\r' <"$work/idle.txt" | sed -n 's/idle_ms=//p'; }
# Into files, not pipes: the started program inherits the output and keeps a pipe open.
bare_once() {  # prints "bare PEAK_KB IDLE_MS"
    W 'C:\measure_tray.exe' idle 'C:\bare_tray.exe' >"$work/idle.txt"
    local peak; peak=$(peak_kb '^C:.bare_tray.exe')
    W 'C:\measure_tray.exe' close-bare
    gone '^C:.bare_tray.exe'
    echo "bare $peak $(idle_ms)"
}
tolvek_once() {  # tolvek_once NOTES: prints "NOTES PEAK_KB IDLE_MS"
    cp "$work/diary-$1.dat" "$install_dir/tolvek.dat"
    rm -f "$install_dir/backup.dat"
    W 'C:\measure_tray.exe' idle 'C:\Tolvek\Tolvek.exe' >"$work/idle.txt"
    local peak; peak=$(peak_kb '^C:.Tolvek.Tolvek.exe')
    W 'C:\outside_robot.exe' shutdown >>"$work/robot.log" 2>&1
    gone '^C:.Tolvek.Tolvek.exe'
    echo "$1 $peak $(idle_ms)"
}
pause() { sleep 3; }  # the emptied tray stalls the next icon for about 2 s

bare_once >/dev/null; pause  # the first starts read every file from the disk: not counted
tolvek_once 0 >/dev/null; pause
for round in $(seq "$rounds"); do
    bare_once; pause
    for notes in "${sizes[@]}"; do tolvek_once "$notes"; pause; done
done | tee "$work/all.txt" | sed 's/^/round: /'

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
column() { awk -v what="$1" -v field="$2" '$1 == what {print $field}' "$work/all.txt" | median; }
bare_peak=$(column bare 2) bare_idle=$(column bare 3)
printf '%-8s %10s %8s %9s %7s\n' notes peak_kb ratio idle_ms ratio
printf '%-8s %10s %8s %9s %7s\n' bare "$bare_peak" 1.00 "$bare_idle" 1.00
for notes in "${sizes[@]}"; do
    peak=$(column "$notes" 2) idle=$(column "$notes" 3)
    awk -v n="$notes" -v p="$peak" -v i="$idle" -v bp="$bare_peak" -v bi="$bare_idle" \
        'BEGIN {printf "%-8s %10d %8.2f %9d %7.2f\n", n, p, p / bp, i, i / bi}'
done
