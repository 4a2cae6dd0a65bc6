#!/usr/bin/env bash
# The main job on the bundled example: build the Linux command line, export the example scene's
# package with its log, and show both.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset linux >/dev/null
cmake --build --preset linux --target larkspur

scene=examples/living-room.scene.json
job=out/demo/job
rm -rf "$job" && mkdir -p "$job"
build/linux/cli/larkspur package "$scene" "$job/1.json" --scene-out out/demo/scene-after.json
echo "--- $job/1.json"
cat "$job/1.json"; echo
echo "--- $job/1.log"
cat "$job/1.log"
