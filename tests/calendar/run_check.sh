#!/usr/bin/env bash
# run_check.sh EXPORT_DIARIES: exports the diaries as of several days (a leap day, a year's
# end, a month's last day, and today) and checks each with the independent library.
set -euo pipefail
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for day in 2024-02-29 2025-12-31 2026-04-30 2027-01-31 "$(date +%F)"; do
    mkdir -p "$scratch/$day"
    "$tool" "$scratch/$day" "$day" >/dev/null
    /usr/bin/python3 "$here/check_export.py" "$scratch/$day" "$day"
done
