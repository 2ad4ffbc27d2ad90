#!/usr/bin/env bash
# wine-run.sh prog.exe [args...]
# Runs a Windows program under 64-bit Wine in a private, throw-away WINEPREFIX
# and exits with the program's exit code. Used as CMAKE_CROSSCOMPILING_EMULATOR.
#
# Environment:
#   DISPLAY               if unset, a private Xvfb is started (and stopped) here
#   TOLVEK_WINE_TEMPLATE  dir of a prepared prefix; made once (under a lock) and
#                         copied per run, instead of a fresh `wineboot -i` each time
#   TOLVEK_FAKETIME       run under libfaketime, e.g. '@2004-06-15 10:00:00'
#                         ('@' = clock starts there and ticks; without it, it stands still)
set -euo pipefail
if [ $# -lt 1 ]; then echo "usage: $0 prog.exe [args...]" >&2; exit 2; fi

# Debian's wine64 package has these but puts neither on PATH.
wine=${TOLVEK_WINE:-/usr/lib/wine/wine64}
wineserver=${TOLVEK_WINESERVER:-/usr/lib/wine/wineserver64}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono/Gecko install prompts

work=$(mktemp -d "${TMPDIR:-/tmp}/wine-run.XXXXXX")
export WINEPREFIX="$work/prefix"
xvfb_pid=""
cleanup() {
  # Stop this prefix's wineserver and every helper process (services.exe,
  # explorer.exe, ...) it still has, then wait until the server is gone.
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -w >/dev/null 2>&1 || true
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
  # Stop the server now (it saves the registry on exit; -k is ~5 s faster than
  # waiting for wineboot's helpers to quit). The program then gets a new server,
  # which matters for TOLVEK_FAKETIME: the server must run under the faked clock.
  WINEPREFIX="$1" "$wineserver" -k
  WINEPREFIX="$1" "$wineserver" -w
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
  cp -a "$tpl" "$WINEPREFIX"
else
  make_prefix "$WINEPREFIX"
fi

run=("$wine" "$@")
if [ -n "${TOLVEK_FAKETIME:-}" ]; then
  # No wineserver runs now (see make_prefix), so the one wine64 starts
  # inherits the faked clock as well.
  run=(faketime "$TOLVEK_FAKETIME" "${run[@]}")
fi

set +e
"${run[@]}" >"$work/stdout" 2>"$work/stderr"
rc=$?
set -e
cat "$work/stdout"
cat "$work/stderr" >&2
exit "$rc"
