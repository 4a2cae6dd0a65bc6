#!/usr/bin/env bash
# Builds the fuzz targets and runs each one for SECONDS (default 60) from a scratch copy of its
# corpus in build/fuzz/fuzz/NAME.work, which keeps what earlier runs found. Ends with one line per
# target: the inputs it ran and its exit status.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
status=0
LARKSPUR_FUZZ_SECONDS=$seconds ctest --preset fuzz --timeout $((seconds + 300)) || status=$?
cat build/fuzz/fuzz/*.work/summary.txt
exit $status
