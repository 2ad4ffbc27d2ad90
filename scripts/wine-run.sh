#!/usr/bin/env bash
# wine-run.sh prog.exe [args...]
# Runs a Windows program under 64-bit Wine in a private, throw-away WINEPREFIX
# and exits with the program's exit code. Used as CMAKE_CROSSCOMPILING_EMULATOR.
#
# Environment:
#   DISPLAY               if unset, a private Xvfb is started (and stopped) here
#   TOLVEK_WINE_TEMPLATE  path of a prepared prefix: made once (under a lock),
#                         then copied for each run instead of a new `wineboot -i`
#   TOLVEK_FAKETIME       run under faketime, e.g. '2004-06-15 10:00:00'
#                         (the clock starts there and keeps running)
#   TOLVEK_WINE_DPI       the display scale in dots per inch (96, 144, 192); default 96
#   TOLVEK_WINE_TIMEOUT   seconds before a hung program is killed (default 600);
#                         ctest's own timeout would skip the cleanup below
set -euo pipefail
if [ $# -lt 1 ]; then echo "usage: $0 prog.exe [args...]" >&2; exit 2; fi

source "$(dirname "$0")/wine-env.sh"
trap wine_cleanup EXIT
trap 'exit 130' INT TERM HUP
start_display

if [ -n "${TOLVEK_WINE_TEMPLATE:-}" ]; then
  tpl=$TOLVEK_WINE_TEMPLATE
  mkdir -p "$(dirname "$tpl")"
  (
    flock 9   # parallel ctest jobs: only one of them builds the template
    if [ ! -f "$tpl/.update-timestamp" ]; then
      rm -rf "$tpl.tmp"; make_prefix "$tpl.tmp"; mv "$tpl.tmp" "$tpl"
    fi
  ) 9>"$tpl.lock"
  cp -a "$tpl" "$prefix"
else
  make_prefix "$prefix"
fi
set_prefix_dpi "$prefix"

run=("$wine" "$@")
if [ -n "${TOLVEK_FAKETIME:-}" ]; then run=(faketime "$TOLVEK_FAKETIME" "${run[@]}"); fi
run=(timeout -k 5 "${TOLVEK_WINE_TIMEOUT:-600}" "${run[@]}")

set +e
WINEPREFIX="$prefix" "${run[@]}" >"$work/stdout" 2>"$work/stderr"
rc=$?
set -e
cat "$work/stdout"
cat "$work/stderr" >&2
if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then echo "wine-run: timed out: $*" >&2; fi
exit "$rc"
