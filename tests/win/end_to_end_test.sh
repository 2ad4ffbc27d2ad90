#!/usr/bin/env bash
# The three programs together in a fresh Wine prefix, from the shipped set to a clean
# removal, answered from outside the processes; then the measurements of the tray program.
#   end_to_end_test.sh SHIPPED_DIR outside_robot.exe measure_tray.exe tray_floor.exe
set -euo pipefail
shipped=$(realpath "$1")
robot=$(realpath "$2")
measure=$(realpath "$3")
floor=$(realpath "$4")
source "$(dirname "$0")/../../scripts/wine-env.sh"
trap wine_cleanup EXIT
start_display
make_prefix "$prefix"

W() { WINEPREFIX="$prefix" timeout 60 "$wine" "$@"; }
R() { W "$robot" "$@" 2>>"$work/robot.log" | tr -d '\r'; }
passes=0 failures=0
check() {  # check WHAT EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then echo "ok: $1"; passes=$((passes + 1))
    else echo "FAILED: $1: expected [$2], got [$3]"; failures=$((failures + 1)); fi
}
reg_value() {  # reg_value KEY NAME: the value's data as `reg query` shows it, or "absent"
    W reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z]* *//p" | grep . || echo absent
}
record='HKLM\software\microsoft\windows\currentversion\uninstall\tolvek'
run_key='HKLM\software\microsoft\windows\currentversion\run'
user_run_key='HKCU\software\microsoft\windows\currentversion\run'
shortcut="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tolvek Diary.lnk"
shortcut_target() {  # the Windows path of the program the Start-menu entry names, or "none"
    [ -e "$shortcut" ] || { echo none; return; }
    python3 - "$shortcut" "$1" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
wanted = sys.argv[2]
found = wanted.encode("cp1252") in data or wanted.encode("utf-16-le") in data
print(wanted if found else "another program")
PY
}
in_shipped() {  # runs a program of the shipped set from the shipped folder, in the background
    (cd "$prefix/drive_c/shipped" && WINEPREFIX="$prefix" timeout 60 "$wine" "$1" >"$work/$1.log" 2>&1)
}

mkdir -p "$prefix/drive_c/shipped"
cp "$shipped"/* "$prefix/drive_c/shipped/"
check "shipped set" "History.txt Setup.exe Tolvek.ex1 Uninstall.ex1" "$(ls "$prefix/drive_c/shipped" | tr '\n' ' ' | sed 's/ $//')"

# A fresh installation: Welcome, the folder browser (the desktop folder), Confirm, Done.
in_shipped Setup.exe & setup=$!
check "welcome box" "This program will install the Tolvek Diary to your computer.|Do you wish to continue?" \
    "$(R box "Tolvek Diary Installer" 1 | paste -sd'|')"
R browse
confirm=$(R box "Tolvek Diary Installer" 1 | paste -sd'|')
install_win=$(echo "$confirm" | cut -d'|' -f2)
check "confirm box names a folder ending in Tolvek Diary" "The Tolvek Diary will be installed to||Do you wish to continue?" \
    "$(echo "$confirm" | cut -d'|' -f1,3,4)"
check "install path" "Tolvek Diary" "${install_win##*\\}"
check "done box" "The Tolvek Diary was successfully installed" "$(R box "Tolvek Diary Installer:" 1)"
wait $setup && code=0 || code=$? ; check "Setup exit code" 0 "$code"
install_dir=$(WINEPREFIX="$prefix" "$wine" winepath -u "$install_win" 2>/dev/null | tr -d '\r')
check "installed files" "History.txt Tolvek.exe Uninstall.exe" "$(ls "$install_dir" | tr '\n' ' ' | sed 's/ $//')"
check "record Path" "$install_win" "$(reg_value "$record" Path)"
check "record UninstallString, quoted" "\"$install_win\\Uninstall.exe\"" "$(reg_value "$record" UninstallString)"
check "list entry" "$install_win\\Tolvek.exe|1.1|the Tolvek team|$install_win|0x1|0x1" \
    "$(for v in DisplayIcon DisplayVersion Publisher InstallLocation NoModify NoRepair; do reg_value "$record" $v; done | paste -sd'|')"
size_kib=$(reg_value "$record" EstimatedSize)
check "list entry size in KiB" "$(( ($(cat "$install_dir"/*.exe "$install_dir"/History.txt | wc -c) + 1023) / 1024 ))" "$((size_kib))"
check "record DisplayName" "Tolvek Diary" "$(reg_value "$record" DisplayName)"
check "autostart, per machine" "\"$install_win\\Tolvek.exe\"" "$(reg_value "$run_key" TolvekDiary)"
check "no per-user autostart" "absent" "$(reg_value "$user_run_key" TolvekDiary)"
check "Start-menu entry for all users" "$install_win\\Tolvek.exe" "$(shortcut_target "$install_win\\Tolvek.exe")"
check "no desktop files from Wine's menu builder" "" "$(find "$HOME" -name '*.desktop' 2>/dev/null)"

# The tray program from its installed place: a note added through the editor.
(cd "$install_dir" && WINEPREFIX="$prefix" timeout 120 "$wine" "$install_win\\Tolvek.exe" >"$work/tolvek.log" 2>&1) & tolvek=$!
check "tray program runs" "" "$(R main)"
R press 1002
R edit "Buy a present"
check "note in the data file" "1 Buy a present" "$(python3 - "$install_dir/tolvek.dat" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
count = struct.unpack_from("<I", data, 4)[0]
print(count, data[8 + 24: 8 + 124].split(b"\0")[0].decode())
PY
)"

# Neither Setup nor Uninstall changes anything while the tray program runs.
in_shipped Setup.exe & setup=$!
R box "Tolvek Diary Installer:" 1 >/dev/null   # Overwrite: OK
R box "Tolvek Diary Installer" 1 >/dev/null    # Welcome
R box "Tolvek Diary Installer" 1 >/dev/null    # Confirm
check "Setup refuses while Tolvek runs" "Failed to copy files.|If the program is already installed and running,|please shut it down and try again.|Tolvek may be running in another user's session." \
    "$(R box "Tolvek Diary Installer Error:" 1 | paste -sd'|')"
wait $setup || true
(cd "$install_dir" && WINEPREFIX="$prefix" timeout 60 "$wine" "$install_win\\Uninstall.exe" >"$work/uninstall1.log" 2>&1) & uninstall=$!
R box "Tolvek Diary Uninstaller:" 1 >/dev/null  # Are you sure: OK
check "Uninstall refuses while Tolvek runs" "Could not delete files.|If the program is running, please shut it down and try again|Tolvek may be running in another user's session." \
    "$(R box "Tolvek Diary Uninstaller:" 1 | paste -sd'|')"
wait $uninstall || true
check "installation whole after the refusals" "History.txt Tolvek.exe Uninstall.exe backup.dat tolvek.dat tolvek.lock $install_win" \
    "$(ls "$install_dir" | tr '\n' ' ')$(reg_value "$record" Path)"

R shutdown
wait $tolvek && code=0 || code=$? ; check "Tolvek exit code after Shut down" 0 "$code"

# A reinstallation over the first keeps the data files and the defaults for new notes, and
# over an installation of the earlier, per-user kind leaves one start at logon, the machine's.
W reg add "$user_run_key" /v TolvekDiary /d "\"$install_win\\Tolvek.exe\"" /f >/dev/null 2>&1
defaults_before=$(reg_value "$record" DefNoteAdvance)
data_before=$(md5sum <"$install_dir/tolvek.dat")
in_shipped Setup.exe & setup=$!
check "overwrite box" "The Tolvek Diary is already installed.|Do you wish to overwrite the existing installation?" \
    "$(R box "Tolvek Diary Installer:" 1 | paste -sd'|')"
R box "Tolvek Diary Installer" 1 >/dev/null
check "reinstall confirm names the recorded folder" "The Tolvek Diary will be installed to|$install_win||Do you wish to continue?" \
    "$(R box "Tolvek Diary Installer" 1 | paste -sd'|')"
R box "Tolvek Diary Installer:" 1 >/dev/null
wait $setup || true
check "data file kept by the reinstallation" "$data_before" "$(md5sum <"$install_dir/tolvek.dat")"
check "defaults kept by the reinstallation" "$defaults_before" "$(reg_value "$record" DefNoteAdvance)"
check "earlier per-user autostart removed by the reinstallation" "absent \"$install_win\\Tolvek.exe\"" \
    "$(reg_value "$user_run_key" TolvekDiary) $(reg_value "$run_key" TolvekDiary)"

# The removal keeps Uninstall.exe and the data files; the record and autostart go.
(cd "$install_dir" && WINEPREFIX="$prefix" timeout 60 "$wine" "$install_win\\Uninstall.exe" >"$work/uninstall2.log" 2>&1) & uninstall=$!
R box "Tolvek Diary Uninstaller:" 1 >/dev/null
check "uninstall closing text" "Uninstallation successful!||Your data files are stored in|$install_win|and in the folder Tolvek Diary in each user's local application data|Do whatever you wanna do with it..." \
    "$(R box "Tolvek Diary Uninstaller:" 1 | paste -sd'|')"
wait $uninstall || true
check "left after the removal" "Uninstall.exe backup.dat tolvek.dat tolvek.lock" "$(ls "$install_dir" | tr '\n' ' ' | sed 's/ $//')"
check "record gone" "absent" "$(reg_value "$record" Path)"
check "autostart gone" "absent absent" "$(reg_value "$run_key" TolvekDiary) $(reg_value "$user_run_key" TolvekDiary)"
check "Start-menu entry gone" "none" "$(shortcut_target "$install_win\\Tolvek.exe")"
(cd "$install_dir" && WINEPREFIX="$prefix" timeout 60 "$wine" "$install_win\\Uninstall.exe" >"$work/uninstall3.log" 2>&1) & uninstall=$!
check "second removal: not found" "The Tolvek Diary was not found on your system..." "$(R box "Tolvek Diary Uninstaller:" 1)"
wait $uninstall || true

# Measurements: start-up to the tray icon against a program that only adds an icon; the
# peak working set with a 10,000-note diary; wake-ups of the idle program.
W reg add "$record" /v Path /d 'C:\Tolvek' /f >/dev/null 2>&1
mkdir -p "$prefix/drive_c/Tolvek"
cp "$shipped/Tolvek.ex1" "$prefix/drive_c/Tolvek/Tolvek.exe"
cp "$measure" "$floor" "$prefix/drive_c/"
# Into files, not pipes: the started program inherits the output and keeps a pipe open.
for i in 1 2 3; do W 'C:\measure_tray.exe' floor 'C:\tray_floor.exe' >>"$work/floor.txt"; done
floor_ms=$(tr -d '\r' <"$work/floor.txt" | sed 's/floor_ms=//' | sort -n | sed -n 2p)
W 'C:\measure_tray.exe' tolvek 'C:\Tolvek\Tolvek.exe' >"$work/empty.txt"
empty=$(tr -d '\r' <"$work/empty.txt")
R shutdown; sleep 2
python3 - "$prefix/drive_c/Tolvek/tolvek.dat" <<'PY'
import struct, sys, random
random.seed(7)
notes = 10000
data = struct.pack("<iI", 11, notes)
for i in range(notes):  # none due and none passed: a quiet start
    data += struct.pack("<6i", random.randint(2040, 2049), random.randint(1, 12), random.randint(1, 28),
                        random.randint(0, 2), 4, 0) + ("note %d" % i).encode().ljust(100, b"\0")
data += struct.pack("<ii", 0, 11)
open(sys.argv[1], "wb").write(data)
PY
W 'C:\measure_tray.exe' tolvek 'C:\Tolvek\Tolvek.exe' >"$work/large.txt"
large=$(tr -d '\r' <"$work/large.txt")
pid=$(pgrep -f '^C:.Tolvek.Tolvek.exe' | head -n 1)
switches() { cat /proc/"$pid"/task/*/status | awk '/ctxt_switches/ {n += $2} END {print n}'; }
cpu_ticks() { awk '{print $14 + $15}' /proc/"$pid"/stat; }
s0=$(switches); c0=$(cpu_ticks); sleep 20; s1=$(switches); c1=$(cpu_ticks)
R shutdown; sleep 2
# Windows managed as Wine does by default: with no window manager, hiding a window that was
# shown waits about 2 s, so a start-up that showed and hid the main window would take longer.
rm -f "$prefix/drive_c/Tolvek/tolvek.dat" "$prefix/drive_c/Tolvek/backup.dat"
W reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1
W 'C:\measure_tray.exe' tolvek 'C:\Tolvek\Tolvek.exe' >"$work/managed.txt"
managed_ms=$(tr -d '\r' <"$work/managed.txt" | sed -n 's/icon_ms=//p')
R shutdown
echo "measured: tray icon after $(echo "$empty" | sed -n 's/icon_ms=//p') ms (empty diary)," \
     "$(echo "$large" | sed -n 's/icon_ms=//p') ms (10,000 notes); floor ${floor_ms} ms"
echo "measured: peak working set $(echo "$empty" | sed -n 's/peak_working_set_kb=//p') KiB (empty)," \
     "$(echo "$large" | sed -n 's/peak_working_set_kb=//p') KiB (10,000 notes)"
echo "measured: idle for 20 s: $((s1 - s0)) wake-ups, $((c1 - c0)) CPU ticks"
check "idle program wakes up for nothing" "0 0" "$((s1 - s0)) $((c1 - c0))"
echo "measured: tray icon after ${managed_ms} ms with windows managed (empty diary)"
check "start-up shows no window (tray icon within 2000 ms, windows managed)" "yes" \
    "$([ "${managed_ms:-99999}" -lt 2000 ] && echo yes || echo "no: ${managed_ms} ms")"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
