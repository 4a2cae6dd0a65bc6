#!/usr/bin/env bash
# Builds and tests every build: Linux, Linux with sanitizers, Windows under Wine, and the fuzz
# targets, each fuzzed for 10 s (LARKSPUR_FUZZ_SECONDS) so that a regression shows.
# Usage: scripts/test.sh [preset ...]   (default: linux linux-asan windows fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(linux linux-asan windows fuzz)

export LARKSPUR_WINEPREFIX="${LARKSPUR_WINEPREFIX:-$PWD/build/wineprefix}"
status=0
for preset in "${presets[@]}"; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" || status=1
done
exit $status
