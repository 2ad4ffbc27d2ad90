# Sourced by the whole-program tests: a fresh Wine prefix on a virtual display, Tolvek.exe
# copied to C:\Tolvek, and the helpers the checks use. Arguments: Tolvek.exe outside_robot.exe.
# With `wine_user` set (run as root), Wine runs as that user in a prefix the user owns, while
# C:\Tolvek stays root's: Wine then refuses that user's writes there as Windows does.
set -euo pipefail
tolvek=$(realpath "$1")
robot=$(realpath "$2")
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
trap wine_cleanup EXIT
start_display
if [ -n "${wine_user:-}" ]; then
    chmod o+x "$work"  # mktemp makes it 700: the user must reach the prefix below it
    mkdir -p "$work/user/home" "$work/user/tmp"
    export HOME="$work/user/home"
    prefix="$work/user/prefix"
    cp "$robot" "$work/user/outside_robot.exe"  # the build tree may be closed to the user
    robot="$work/user/outside_robot.exe"
    chown -R "$wine_user:" "$work/user"
    # TMPDIR: the user's wineserver makes its directory there, gone with this run's files.
    wine_as=(runuser -u "$wine_user" -- env HOME="$HOME" TMPDIR="$work/user/tmp")
fi
make_prefix "$prefix"

clocked=()  # set by fake_clock: every Wine process of the session runs under it
W() { "${wine_as[@]}" env WINEPREFIX="$prefix" timeout 60 "${clocked[@]}" "$wine" "$@"; }
R() { W "$robot" "$@" 2>>"$work/robot.log" | tr -d '\r'; }  # the robot, its output without CR
passes=0 failures=0
check() {  # check WHAT EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then echo "ok: $1"; passes=$((passes + 1))
    else echo "FAILED: $1: expected [$2], got [$3]"; failures=$((failures + 1)); fi
}
finish() {  # the closing line, and the exit code
    echo "$passes passed, $failures failed"
    [ "$failures" -eq 0 ]
}
record_install() {  # the installation record, as the installer writes it
    W reg add 'HKLM\software\microsoft\windows\currentversion\uninstall\tolvek' /v Path /d 'C:\Tolvek' /f \
        >/dev/null 2>&1
}

install_dir="$prefix/drive_c/Tolvek"
mkdir -p "$install_dir"
cp "$tolvek" "$install_dir/Tolvek.exe"
language_of() {  # the language word of a data file
    local size; size=$(stat -c %s "$1")
    od -An -t d4 -j $((size - 8)) -N 4 "$1" | tr -d ' '
}

# A faked clock for the whole session, that can be moved on while the program runs: an
# offset from the real time in a file that libfaketime reads at every call. The offset moves
# the monotonic clock too, which drives Wine's waits and timers. Every Wine process must see
# the same clock as the wineserver, the robot's included: with one process on another clock
# Wine's waits go wrong and it cannot even start its desktop. The server itself is started
# by the first of them (make_prefix stopped the prefix's own), so it runs on that clock too.
fake_clock() {  # fake_clock 'YYYY-MM-DD hh:mm:ss': the session's clock starts there
    clock_file="$work/faketime"
    clock_start=$(( $(date -d "$1" +%s) - $(date +%s) ))
    move_clock 0
    # libfaketime gives each process without a shared segment one of its own, which stays in
    # /dev/shm when the process is killed, as Wine's are. The faketime wrapper makes one
    # segment for all of them and removes it when its child ends.
    faketime -f +0 sleep infinity >/dev/null 2>&1 &
    clock_owner=$!
    trap 'wine_cleanup; release_clock' EXIT
    for _ in $(seq 50); do [ -e "/dev/shm/faketime_shm_$clock_owner" ] && break; sleep 0.1; done
    clocked=(env LD_PRELOAD='/usr/$LIB/faketime/libfaketime.so.1' FAKETIME_TIMESTAMP_FILE="$clock_file"
             FAKETIME_NO_CACHE=1 FAKETIME_SHARED="/faketime_sem_$clock_owner /faketime_shm_$clock_owner")
}
move_clock() {  # move_clock SECONDS: the faked clock jumps to that far past its start
    printf '%+d\n' $((clock_start + $1)) >"$clock_file.new"
    mv "$clock_file.new" "$clock_file"  # whole, never half written
}
release_clock() {  # ends the wrapper's child, so that the wrapper removes the segment
    pkill -P "$clock_owner" sleep || true
    wait "$clock_owner" 2>/dev/null || true
}
