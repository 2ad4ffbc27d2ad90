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
#   TOLVEK_WINE_TIMEOUT   seconds before a hung program is killed (default 600);
#                         ctest's own timeout would skip the cleanup below
set -euo pipefail
if [ $# -lt 1 ]; then echo "usage: $0 prog.exe [args...]" >&2; exit 2; fi

# Debian's wine64 package has these but puts neither on PATH.
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono/Gecko install prompts

work=$(mktemp -d "${TMPDIR:-/tmp}/wine-run.XXXXXX")
prefix="$work/prefix"   # passed per command, never exported (see stop_wine)
xvfb_pid=""

stop_wine() {  # $1: prefix. Stops its wineserver and every process using it.
  WINEPREFIX="$1" "$wineserver" -k >/dev/null 2>&1 || true
  # A helper that was still starting up can miss -k and linger for ever. The
  # prefix path is unique to this run, so whatever has it in its environment is ours.
  local f
  for f in $(grep -lszxF "WINEPREFIX=$1" /proc/[0-9]*/environ); do
    f=${f%/environ}; kill -9 "${f#/proc/}" 2>/dev/null || true
  done
  WINEPREFIX="$1" "$wineserver" -w >/dev/null 2>&1 || true
}
cleanup() {
  stop_wine "$prefix"
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

make_prefix() {  # $1: new prefix directory
  # Output goes to files, never pipes: wine's helper processes inherit the
  # handles and would keep a pipe open long after the program has ended.
  if ! WINEPREFIX="$1" "$wine" wineboot -i >"$work/wineboot.log" 2>&1; then
    cat "$work/wineboot.log" >&2; echo "wine-run: wineboot -i failed" >&2; exit 125
  fi
  # Unmanaged windows: with no window manager on Xvfb, Wine otherwise waits
  # 2 s for each managed window (e.g. a MessageBox) that is hidden.
  WINEPREFIX="$1" "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    >>"$work/wineboot.log" 2>&1
  # Stop the server now (it saves the registry; much faster than waiting for
  # wineboot's helpers to quit). The program then starts a new server, which
  # matters for TOLVEK_FAKETIME: the server must run under the faked clock too.
  stop_wine "$1"
  echo disable >"$1/.update-timestamp"  # never re-run the prefix update later
}

if [ -z "${DISPLAY:-}" ]; then
  # -displayfd: Xvfb picks a free display number itself and reports it.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  if [ ! -s "$work/display" ]; then cat "$work/xvfb.log" >&2; echo "wine-run: Xvfb did not start" >&2; exit 125; fi
  export DISPLAY=":$(cat "$work/display")"
fi

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
