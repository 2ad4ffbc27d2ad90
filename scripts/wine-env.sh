# Sourced by the scripts that run Windows programs under Wine: a private, throw-away
# prefix on a virtual display, and its clean-up. Sets `wine`, `wineserver`, `work`, `prefix`.
wine=/usr/lib/wine/wine64            # Debian's wine64 puts neither on PATH
wineserver=/usr/lib/wine/wineserver64
export WINEDEBUG=-all
# No Mono/Gecko install prompts; no menu builder, which would write desktop files into
# the Unix home whenever a program saves a shortcut.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

work=$(mktemp -d "${TMPDIR:-/tmp}/wine-run.XXXXXX")
prefix="$work/prefix"   # passed per command, never exported (see stop_wine)
# Wine links the user's Desktop and Documents into every prefix: a home of its own keeps
# what the programs write there inside this run.
export HOME="$work/home"
mkdir -p "$HOME"
xvfb_pid=""
# Runs Wine's own commands as another user when set (e.g. runuser -u USER -- env HOME=...):
# a prefix only works for the user who owns it.
wine_as=()

stop_wine() {  # $1: prefix. Stops its wineserver and every process using it.
  "${wine_as[@]}" env WINEPREFIX="$1" "$wineserver" -k >/dev/null 2>&1 || true
  # A helper that was still starting up can miss -k and linger for ever. The
  # prefix path is unique to this run, so whatever has it in its environment is ours.
  local f
  for f in $(grep -lszxF "WINEPREFIX=$1" /proc/[0-9]*/environ); do
    f=${f%/environ}; kill -9 "${f#/proc/}" 2>/dev/null || true
  done
  "${wine_as[@]}" env WINEPREFIX="$1" "$wineserver" -w >/dev/null 2>&1 || true
}

wine_cleanup() {
  stop_wine "$prefix"
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}

make_prefix() {  # $1: new prefix directory
  # Output goes to files, never pipes: wine's helper processes inherit the
  # handles and would keep a pipe open long after the program has ended.
  if ! "${wine_as[@]}" env WINEPREFIX="$1" "$wine" wineboot -i >"$work/wineboot.log" 2>&1; then
    cat "$work/wineboot.log" >&2; echo "wine: wineboot -i failed" >&2; exit 125
  fi
  # Unmanaged windows: with no window manager on Xvfb, Wine otherwise waits
  # 2 s for each managed window (e.g. a MessageBox) that is hidden.
  "${wine_as[@]}" env WINEPREFIX="$1" "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    >>"$work/wineboot.log" 2>&1
  # Stop the server now (it saves the registry; much faster than waiting for
  # wineboot's helpers to quit). The program then starts a new server, which
  # matters for faketime: the server must run under the faked clock too.
  stop_wine "$1"
  echo disable >"$1/.update-timestamp"  # never re-run the prefix update later
}

set_prefix_dpi() {  # $1: prefix. The display scale of TOLVEK_WINE_DPI (96, 144, 192), if set.
  # Wine reads it when a process starts: the programs started after it see it. The server
  # stops again, so that the next program starts it under its own (maybe faked) clock.
  if [ -z "${TOLVEK_WINE_DPI:-}" ]; then return; fi
  "${wine_as[@]}" env WINEPREFIX="$1" "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
    /t REG_DWORD /d "$TOLVEK_WINE_DPI" /f >>"$work/wineboot.log" 2>&1
  stop_wine "$1"
}

start_display() {  # a private Xvfb when there is no display; TOLVEK_XVFB_SCREEN sizes it
  if [ -n "${DISPLAY:-}" ]; then return; fi
  # -displayfd: Xvfb picks a free display number itself and reports it.
  Xvfb -displayfd 3 -screen 0 "${TOLVEK_XVFB_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  if [ ! -s "$work/display" ]; then cat "$work/xvfb.log" >&2; echo "wine: Xvfb did not start" >&2; exit 125; fi
  export DISPLAY=":$(cat "$work/display")"
}
