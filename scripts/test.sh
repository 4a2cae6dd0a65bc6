#!/usr/bin/env bash
# Builds and tests every build: Linux, Linux with sanitizers, and Windows under Wine.
# Usage: scripts/test.sh [preset ...]   (default: linux linux-asan windows)
set -euo pipefail
cd "$(dirname "$0")/.."

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(linux linux-asan windows)

export LARKSPUR_WINEPREFIX="${LARKSPUR_WINEPREFIX:-$PWD/build/wineprefix}"
status=0
for preset in "${presets[@]}"; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" || status=1
done
exit $status
