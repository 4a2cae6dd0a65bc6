#!/usr/bin/env bash
# The figures of docs/performance.md: builds the linux preset, runs the package build beside its
# nlohmann-json peer (10,000 and 40,000 objects; medians of 5 repetitions) and then alone, the
# scene loader from 1,000 to 64,000 objects (loads repeated in one process, medians of 5
# repetitions; then the 64,000-object load beside the 1,000-object one, round by round, for their
# ratio; then the first load of a fresh process for each size), and times `larkspur package` end
# to end on the generated 10,000-object scene (median of 5 runs).
# Usage: scripts/bench.sh   (run it when the machine is otherwise idle)
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset linux >/dev/null
cmake --build --preset linux --target larkspur package_bench scene_load_bench make_archviz_scene

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin=build/linux

echo "== package build beside the nlohmann-json dump of the same package"
"$bin/bench/package_bench" --benchmark_filter='Archviz|Nlohmann' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_min_time=1

# The 40,000/10,000 ratio is taken here: the two builds one after the other, without the dumps
# between them, whose 88 MB texts change what memory the larger build finds.
echo "== package build alone, 10,000 and 40,000 objects"
"$bin/bench/package_bench" --benchmark_filter='ArchvizPackageBuild' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_min_time=1

echo "== scene loader, loads repeated in one process"
"$bin/bench/scene_load_bench" --benchmark_filter='^BM_LoadArchviz' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true

# The flatness of the loader is taken here: timed side by side, the two sizes see the same machine.
echo "== scene loader, 64,000 objects beside 1,000, round by round"
"$bin/bench/scene_load_bench" --benchmark_filter='^BM_LoadLargeBesideSmall'

echo "== scene loader, the first load of a fresh process, and the price of fresh memory"
for figure in FirstLoadArchvizScene/{1000,4000,10000,16000,64000}/ FirstTouchOfFreshMemory; do
  "$bin/bench/scene_load_bench" --benchmark_filter="^BM_$figure" | grep '^BM_'
done

echo "== larkspur package, 10,000 objects, end to end"
"$bin/bench/make_archviz_scene" 10000 "$work/scene.json"
times=()
for _ in 1 2 3 4 5; do
  start=$(date +%s%N)
  "$bin/cli/larkspur" package "$work/scene.json" "$work/1.json" >/dev/null
  times+=($(( ($(date +%s%N) - start) / 1000000 )))
done
printf '%s\n' "${times[@]}" | sort -n | sed -n 3p | xargs printf 'median %s ms of 5 runs\n'
