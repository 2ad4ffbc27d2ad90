#!/usr/bin/env bash
# Two users' sessions at once over one installation directory that every user may change, as
# one made under C:\ by an elevated Setup: Tolvek must never let both write one diary. Each
# user is an unprivileged Unix user with a Wine prefix of its own (two wineservers, two mutex
# namespaces, as two sessions have), both recording the same shared C:\Tolvek; Wine mirrors
# byte-range locks with the system's own, so the second sees the first one's lock.
#   two_sessions_test.sh Tolvek.exe outside_robot.exe        (as root: it makes the users)
if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: needs root, to run Wine as two unprivileged users"
    exit 77
fi
set -euo pipefail
users=(tolvek-standard tolvek-second)
for user in "${users[@]}"; do
    # Left in place: a parallel run may use them, and system users without a home are harmless.
    id -u "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user" 2>/dev/null ||
        id -u "$user" >/dev/null
done
tolvek=$(realpath "$1")
robot=$(realpath "$2")
source "$(dirname "$0")/../../scripts/wine-env.sh"
start_display
chmod o+x "$work"

# Files made with umask 0: every user may change them, as the installation directory's
# inherited rights allow on Windows; only the lock keeps the second user out.
shared="$work/shared"
mkdir -p "$shared"
cp "$tolvek" "$shared/Tolvek.exe"
chmod 777 "$shared"
declare -A home prefix_of
for user in "${users[@]}"; do
    home[$user]="$work/$user"
    prefix_of[$user]="$work/$user/prefix"
    mkdir -p "${home[$user]}/home" "${home[$user]}/tmp"
    cp "$robot" "${home[$user]}/outside_robot.exe"
    chown -R "$user:" "${home[$user]}"
done
as() {  # as USER COMMAND...: runs a command as that user, in that user's prefix
    local user=$1; shift
    runuser -u "$user" -- env HOME="${home[$user]}/home" TMPDIR="${home[$user]}/tmp" \
        WINEPREFIX="${prefix_of[$user]}" bash -c 'umask 000; exec "$@"' as "$@"
}
W() { local user=$1; shift; as "$user" timeout 60 "$wine" "$@"; }
R() { local user=$1; shift; W "$user" "${home[$user]}/outside_robot.exe" "$@" 2>>"$work/robot.log" | tr -d '\r'; }
cleanup() {
    for user in "${users[@]}"; do
        wine_as=(runuser -u "$user" -- env HOME="${home[$user]}/home" TMPDIR="${home[$user]}/tmp")
        stop_wine "${prefix_of[$user]}"
    done
    wine_as=()
    wine_cleanup
}
trap cleanup EXIT
for user in "${users[@]}"; do
    as "$user" "$wine" wineboot -i >"$work/wineboot-$user.log" 2>&1
    as "$user" "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # Both record the same installation directory: the shared folder, at C:\Tolvek in each.
    as "$user" "$wine" reg add 'HKLM\software\microsoft\windows\currentversion\uninstall\tolvek' /v Path \
        /d 'C:\Tolvek' /f >/dev/null 2>&1
    ln -s "$shared" "${prefix_of[$user]}/drive_c/Tolvek"
done

passes=0 failures=0
check() {  # check WHAT EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then echo "ok: $1"; passes=$((passes + 1))
    else echo "FAILED: $1: expected [$2], got [$3]"; failures=$((failures + 1)); fi
}
notes_of() {  # the texts of a diary's notes, sorted; "none" without the file
    [ -e "$1" ] || { echo none; return; }
    python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
count = struct.unpack_from("<I", data, 4)[0]
print("|".join(sorted(data[8 + 124 * i + 24: 8 + 124 * (i + 1)].split(b"\0")[0].decode() for i in range(count))))
PY
}
eventually() {  # eventually EXPECTED COMMAND...: the command's output once it is EXPECTED, or after 10 s
    local want=$1 got; shift
    for _ in $(seq 50); do got=$("$@"); [ "$got" == "$want" ] && break; sleep 0.2; done
    echo "$got"
}
first=${users[0]} second=${users[1]}
second_folder="${prefix_of[$second]}/drive_c/users/$second/AppData/Local/Tolvek Diary"

# The first user makes the shared folder the diary's home and writes a note there.
W "$first" 'C:\Tolvek\Tolvek.exe' >"$work/first.log" 2>&1 & first_run=$!
check "first user's main window" "" "$(R "$first" main)"
R "$first" press 1002
R "$first" edit "First user's note"
check "first user's diary in the shared folder" "First user's note" \
    "$(eventually "First user's note" notes_of "$shared/tolvek.dat")"

# The second user, meanwhile: the shared diary is in use, so the user's own folder, said once;
# the other account's notes are not wanted here.
W "$second" 'C:\Tolvek\Tolvek.exe' >"$work/second.log" 2>&1 & second_run=$!
check "second user asked before another account's diary is copied" \
    "A diary from an earlier installation was found in C:\Tolvek. Copy it into your own folder?" \
    "$(R "$second" box "Tolvek Diary" 7)"
check "second user told where the diary lives now" \
    "The diary in|C:\Tolvek|is in use in another user's session, or you may no longer change it.||Your diary is kept in your own folder from now on:|C:\users\\$second\AppData\Local\Tolvek Diary" \
    "$(R "$second" box "Tolvek Diary" 1 | paste -sd'|')"
check "second user's main window" "" "$(R "$second" main)"
R "$second" press 1002
R "$second" edit "Second user's note"
check "second user's diary in the user's own folder" "Second user's note" \
    "$(eventually "Second user's note" notes_of "$second_folder/tolvek.dat")"
check "first user's diary untouched" "First user's note" "$(notes_of "$shared/tolvek.dat")"
R "$second" shutdown
wait $second_run && code=0 || code=$?
check "second user's exit code" 0 "$code"

# The first one ends; the second starts again: still the user's own folder, without a word.
R "$first" shutdown
wait $first_run && code=0 || code=$?
check "first user's exit code" 0 "$code"
kept=$(md5sum <"$shared/tolvek.dat")  # as the first user's "Shut down" saved it
W "$second" 'C:\Tolvek\Tolvek.exe' >"$work/second2.log" 2>&1 & second_run=$!
check "no box once the first has ended" "none" "$(R "$second" none "Tolvek Diary" 1500 && echo none || echo "a box")"
check "second user's main window again" "" "$(R "$second" main)"
R "$second" press 1002
R "$second" edit "Later note"
check "second user's diary still in the user's own folder" "Later note|Second user's note" \
    "$(eventually "Later note|Second user's note" notes_of "$second_folder/tolvek.dat")"
check "first user's diary still untouched" "$kept" "$(md5sum <"$shared/tolvek.dat")"
R "$second" shutdown
wait $second_run || true

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
