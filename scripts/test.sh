#!/usr/bin/env bash
# Runs every test: the host tests plain (g++) and under AddressSanitizer and
# UndefinedBehaviorSanitizer (clang, which also builds the fuzz target and replays its corpus).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-host-tools.sh

jobs=$(nproc)
cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/host -j "$jobs"
ctest --test-dir build/host --output-on-failure -j "$jobs"

CXX=clang++ cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug \
    -DTOLVEK_SANITIZE=ON -DTOLVEK_FUZZ=ON >/dev/null
cmake --build build/sanitize -j "$jobs"
ctest --test-dir build/sanitize --output-on-failure -j "$jobs"
