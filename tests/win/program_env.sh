# Sourced by the whole-program tests: a fresh Wine prefix on a virtual display, Tolvek.exe
# copied to C:\Tolvek, and the helpers the checks use. Arguments: Tolvek.exe outside_robot.exe.
set -euo pipefail
tolvek=$(realpath "$1")
robot=$(realpath "$2")
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
trap wine_cleanup EXIT
start_display
make_prefix "$prefix"

W() { WINEPREFIX="$prefix" timeout 60 "$wine" "$@"; }
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
