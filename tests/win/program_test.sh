#!/usr/bin/env bash
# The real Tolvek.exe under Wine, watched and answered from outside its process:
# it refuses to start without an installation record and when it already runs, it saves a
# language change when the session ends, and "Shut down" writes the diary and exits with 0.
#   program_test.sh Tolvek.exe outside_robot.exe
source "$(dirname "$0")/program_env.sh" "$@"

# Not installed: the record's key is missing.
W "$install_dir/Tolvek.exe" >"$work/t1.log" 2>&1 & pid=$!
check "not installed message" "Tolvek Diary is not properly installed. Please reinstall.2" \
    "$(R box "Error" 1)"
wait $pid && code=0 || code=$?
check "not installed exit code" 0 "$code"
check "no data file without a record" "absent" "$([ -e "$install_dir/tolvek.dat" ] && echo present || echo absent)"

record_install

# First start: runs, creates the diary.
W "$install_dir/Tolvek.exe" >"$work/t2.log" 2>&1 & first=$!
check "main window of the first copy" "" "$(R main)"
check "empty diary created" 16 "$(stat -c %s "$install_dir/tolvek.dat" 2>/dev/null || echo none)"

# A second copy is told and leaves the first running.
W "$install_dir/Tolvek.exe" >"$work/t3.log" 2>&1 & second=$!
check "already running message" "Tolvek is already running" "$(R box "" 1)"
wait $second && code=0 || code=$?
check "second copy exit code" 0 "$code"
check "first copy still runs" yes "$(kill -0 $first 2>/dev/null && echo yes || echo no)"

# A language change survives the end of the session without "Shut down".
R click 1022
W wineboot --end-session >"$work/endsession.log" 2>&1 || true
check "language saved at the end of the session" 2 "$(language_of "$install_dir/tolvek.dat")"

wait $first 2>/dev/null || true  # the end of the session ends the program

# The next start is in Slovak; "Shut down" from the tray menu writes the diary and ends with 0.
W "$install_dir/Tolvek.exe" >"$work/t4.log" 2>&1 & third=$!
check "main window title in Slovak" "Kvorlík Tolvek v1.1" "$(R title | grep -o "^Kvorlík Tolvek v1\.1")"
rm "$install_dir/tolvek.dat"  # lost while the program runs: "Shut down" writes it again
R shutdown
wait $third && code=0 || code=$?
check "exit code after Shut down" 0 "$code"
check "diary written at Shut down, still in Slovak" "16 2" \
    "$(stat -c %s "$install_dir/tolvek.dat" 2>/dev/null || echo none) $(language_of "$install_dir/tolvek.dat")"

# A missing data file is restored from the backup of the last start, on Yes.
rm "$install_dir/tolvek.dat"
W "$install_dir/Tolvek.exe" >"$work/t5.log" 2>&1 & fourth=$!
check "restore question for a missing data file" "No data file found!" "$(R box "Tolvek: ERROR" 6 | head -n 1)"
check "restored diary in Slovak" "Kvorlík Tolvek v1.1" "$(R title | grep -o "^Kvorlík Tolvek v1\.1")"
R shutdown
wait $fourth && code=0 || code=$?
check "exit code after the second Shut down" 0 "$code"

finish
