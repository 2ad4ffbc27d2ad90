#!/usr/bin/env bash
# Installs what the Windows cross-build and the Wine test bench need (Debian 12).
# Idempotent: only missing packages are installed, and `apt-get update` runs
# only when something has to be installed.
set -euo pipefail

packages=(
  cmake make                  # build driver (usually already present)
  g++-mingw-w64-x86-64-posix  # x86_64-w64-mingw32-g++-posix: posix threads => std::mutex/std::thread
  binutils-mingw-w64-x86-64   # windres, objdump, strip for PE files
  wine64                      # 64-bit Wine 8.0: /usr/lib/wine/wine64 (not on PATH; package
                              # `wine` would add /usr/bin/wine, but wine-run.sh needs no PATH entry)
  xvfb                        # virtual X display for GUI tests (Xvfb, xvfb-run)
  xauth                       # needed by xvfb-run
  faketime                    # run a test under a faked clock
  googletest                  # GoogleTest sources in /usr/src/googletest, built per target
  python3                     # prepares and reads data files in the whole-program tests
)

bash "$(dirname "$0")/install-missing.sh" "${packages[@]}"
