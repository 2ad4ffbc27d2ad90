#!/usr/bin/env bash
# Installs what the host build and its tests need, only where it is missing.
set -euo pipefail
bash "$(dirname "$0")/install-missing.sh" cmake make g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev \
    python3 python3-icalendar python3-recurring-ical-events
