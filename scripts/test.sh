#!/usr/bin/env bash
# Runs every test, installing what it needs:
#  1. the host tests, plain (g++), built for debugging and again optimised (the optimiser
#     brings warnings of its own);
#  2. the host tests again under AddressSanitizer and UndefinedBehaviorSanitizer (clang),
#     with the fuzz corpus replayed;
#  3. the Windows build (mingw-w64) and its tests under Wine on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-host-tools.sh
bash scripts/install-windows-tools.sh
jobs=$(nproc)

cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/host -j "$jobs"
ctest --test-dir build/host --output-on-failure -j "$jobs"

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

CXX=clang++ cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug \
    -DTOLVEK_SANITIZE=ON -DTOLVEK_FUZZ=ON >/dev/null
cmake --build build/sanitize -j "$jobs"
ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j "$jobs"
ctest --test-dir build/win --output-on-failure -j "$jobs"
