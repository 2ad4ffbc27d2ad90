#!/usr/bin/env bash
# Fuzzes the data-file loader and the calendar import, each for a bounded time (seconds,
# default 60), starting from the committed corpora; new inputs go to scratch folders, not
# into the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/install-host-tools.sh
CXX=clang++ cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug \
    -DTOLVEK_SANITIZE=ON -DTOLVEK_FUZZ=ON >/dev/null
cmake --build build/sanitize -j "$(nproc)" --target load_fuzzer calendar_fuzzer
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/load" "$scratch/calendar"
build/sanitize/fuzz/load_fuzzer -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=512 \
    -print_final_stats=1 "$scratch/load" fuzz/corpus 2>&1 | tail -n 12
build/sanitize/fuzz/calendar_fuzzer -max_total_time="$seconds" -max_len=8192 -rss_limit_mb=512 \
    -timeout=10 -print_final_stats=1 "$scratch/calendar" fuzz/calendar_corpus 2>&1 | tail -n 12
