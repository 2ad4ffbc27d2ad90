#!/usr/bin/env bash
# Builds the host build in release mode and runs the core benchmark, which prints the ratios:
# Load against a plain read and against its floor (read into newly mapped memory, write the
# backup copy and flush it), Save against a plain durable write.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-host-tools.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)" --target core_bench
build/release/bench/core_bench "$@"
