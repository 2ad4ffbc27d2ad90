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

W() { "${wine_as[@]}" env WINEPREFIX="$prefix" timeout 60 "$wine" "$@"; }
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
