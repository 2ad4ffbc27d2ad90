#!/usr/bin/env bash
# The real Tolvek.exe run by a user who may not write to its installation folder, as a
# standard user under C:\Program Files: Wine enforces no Windows rights, so the program runs
# as an unprivileged Unix user over a C:\Tolvek owned by root. The diary then lives in the
# user's own folder, carried over from the installation once on the user's word, and stays
# there once the installation folder becomes writable.
#   standard_user_test.sh Tolvek.exe outside_robot.exe        (as root: it makes the user)
if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: needs root, to run Wine as an unprivileged user"
    exit 77
fi
wine_user=tolvek-standard
# Left in place: a parallel run may use it, and a system user without a home is harmless.
id -u "$wine_user" >/dev/null 2>&1 ||
    useradd --system --no-create-home --shell /usr/sbin/nologin "$wine_user" 2>/dev/null ||
    id -u "$wine_user" >/dev/null  # made by a parallel run meanwhile
source "$(dirname "$0")/program_env.sh" "$@"

diary() {  # diary FILE TEXT: a diary with one note far ahead, in Czech
    python3 - "$1" "$2" <<'PY'
import struct, sys
note = struct.pack("<6i", 2045, 6, 15, 0, 4, 0) + sys.argv[2].encode().ljust(100, b"\0")
open(sys.argv[1], "wb").write(struct.pack("<iI", 11, 1) + note + struct.pack("<ii", 1, 11))
PY
}
notes_of() {  # the texts of a diary's notes, sorted, and its language; "none" without the file
    [ -e "$1" ] || { echo none; return; }
    python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
count = struct.unpack_from("<I", data, 4)[0]
texts = sorted(data[8 + 124 * i + 24: 8 + 124 * (i + 1)].split(b"\0")[0].decode() for i in range(count))
print("|".join(texts), struct.unpack_from("<i", data, 8 + 124 * count)[0])
PY
}
eventually() {  # eventually EXPECTED COMMAND...: the command's output once it is EXPECTED, or after 10 s
    local want=$1 got; shift
    for _ in $(seq 50); do got=$("$@"); [ "$got" == "$want" ] && break; sleep 0.2; done
    echo "$got"
}
listing() { ls -A "$1" 2>/dev/null | tr '\n' ' ' | sed 's/ $//'; }
reg_value() {  # reg_value KEY NAME: the value's data as `reg query` shows it, or "absent"
    W reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z]* *//p" | grep . || echo absent
}
digest() { md5sum <"$1" | cut -d' ' -f1; }
contents_of() { (cat "$1"/* 2>/dev/null || true) | md5sum; }

record_install
folder="$prefix/drive_c/users/$wine_user/AppData/Local/Tolvek Diary"
diary "$install_dir/tolvek.dat" "Written before"
original=$(digest "$install_dir/tolvek.dat")
check "installation folder closed to the user" "root 755 no" \
    "$(stat -c '%U %a' "$install_dir") $(runuser -u "$wine_user" -- test -w "$install_dir" && echo yes || echo no)"

# The start at logon of the machine, and the per-user one an earlier version left, which
# would start a second copy: the program retires the latter.
machine_run='HKLM\software\microsoft\windows\currentversion\run'
user_run='HKCU\software\microsoft\windows\currentversion\run'
W reg add "$machine_run" /v TolvekDiary /d '"C:\Tolvek\Tolvek.exe"' /f >/dev/null 2>&1
W reg add "$user_run" /v TolvekDiary /d '"C:\Tolvek\Tolvek.exe"' /f >/dev/null 2>&1

# First start: asked first, the diary is carried over to the user's own folder, the
# original stays as it was.
W "$install_dir/Tolvek.exe" >"$work/t1.log" 2>&1 & first=$!
check "carry-over asked first" \
    "A diary from an earlier installation was found in C:\Tolvek. Copy it into your own folder?" \
    "$(R box "Tolvek Diary" 6)"
check "main window as a standard user" "" "$(R main)"
check "diary carried over to the user's folder" "Written before 1" "$(notes_of "$folder/tolvek.dat")"
check "user's folder holds both data files and the lock" "backup.dat tolvek.dat tolvek.lock" "$(listing "$folder")"
check "per-user start at logon retired beside the machine's" "absent \"C:\Tolvek\Tolvek.exe\"" \
    "$(reg_value "$user_run" TolvekDiary) $(reg_value "$machine_run" TolvekDiary)"
check "original diary untouched" "$original" "$(digest "$install_dir/tolvek.dat")"
check "nothing created in the installation folder" "Tolvek.exe tolvek.dat" "$(listing "$install_dir")"

# A note added through the editor goes to the user's diary and survives a restart.
R press 1002
R edit "Added by a standard user"
check "new note in the user's diary" "Added by a standard user|Written before 1" \
    "$(eventually "Added by a standard user|Written before 1" notes_of "$folder/tolvek.dat")"
R shutdown
wait $first && code=0 || code=$?
check "exit code after Shut down" 0 "$code"
diary "$install_dir/tolvek.dat" "Changed later"  # carried over once: this one stays where it is
changed=$(digest "$install_dir/tolvek.dat")
W "$install_dir/Tolvek.exe" >"$work/t2.log" 2>&1 & second=$!
check "main window at the restart" "" "$(R main)"
check "user's diary kept at the restart, not carried over again" \
    "Added by a standard user|Written before 1" "$(notes_of "$folder/tolvek.dat")"
check "changed original untouched" "$changed" "$(digest "$install_dir/tolvek.dat")"
check "still nothing created in the installation folder" "Tolvek.exe tolvek.dat" "$(listing "$install_dir")"
R shutdown
wait $second && code=0 || code=$?
check "exit code after the second Shut down" 0 "$code"

# The installation folder made writable (rights changed, or a start with them): the home
# chosen once stays, the note added since is there, and nothing is written in the installation.
chown -R "$wine_user:" "$install_dir"
before=$(contents_of "$install_dir")
W "$install_dir/Tolvek.exe" >"$work/t3.log" 2>&1 & third=$!
check "no question, no box at the start with write access" "none" \
    "$(R none "Tolvek Diary" 1500 && R none "Tolvek: ERROR" 10 && echo none || echo "a box")"
check "main window with write access" "" "$(R main)"
R press 1002
R edit "Added with write access"
check "the user's diary, with the note added before" "Added by a standard user|Added with write access|Written before 1" \
    "$(eventually "Added by a standard user|Added with write access|Written before 1" notes_of "$folder/tolvek.dat")"
check "nothing written in the writable installation folder" "Tolvek.exe tolvek.dat $before" \
    "$(listing "$install_dir") $(contents_of "$install_dir")"
R shutdown
wait $third && code=0 || code=$?
check "exit code after the third Shut down" 0 "$code"

# A diary in the user's folder that the user may not read is there all the same: it is named
# with the system's reason, never replaced nor taken for a missing one, and Cancel (2) ends
# Tolvek with nothing changed.
record_install
chown root: "$folder/tolvek.dat"
chmod 600 "$folder/tolvek.dat"
refused=$(contents_of "$folder")
W "$install_dir/Tolvek.exe" >"$work/t4.log" 2>&1 & fourth=$!
check "unreadable diary named in its own box" \
    "A data file could not be read:|C:\\users\\$wine_user\\AppData\\Local\\Tolvek Diary\\tolvek.dat" \
    "$(R box "Tolvek: ERROR" 2 | head -2 | paste -sd'|')"
wait $fourth && code=0 || code=$?
check "exit code after Cancel" 0 "$code"
check "user's folder unchanged after Cancel" "$refused" "$(contents_of "$folder")"
# The lock file stays where the home is; only its lock ends with the process.
check "user's folder holds no other file" "backup.dat tolvek.dat tolvek.lock" "$(listing "$folder")"

finish
