#!/usr/bin/env bash
# Runs one fuzz target for LARKSPUR_FUZZ_SECONDS (default 10) on a scratch copy of its committed
# corpus, so that the inputs it finds stay out of the repository and grow from run to run. Prints
# how many inputs ran, from libFuzzer's final stats (also kept in SCRATCH/summary.txt); on a
# failure, the end of its log as well, with the failing input left in SCRATCH.
# Usage: run_fuzzer.sh FUZZER CORPUS SCRATCH MAX_LEN [DICTIONARY]
set -euo pipefail
fuzzer=$1 corpus=$2 scratch=$3 max_len=$4
dictionary=()
[ $# -lt 5 ] || dictionary=(-dict="$5")
seconds=${LARKSPUR_FUZZ_SECONDS:-10}

# Targets that write files per input write them into memory where the machine has a tmpfs.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

mkdir -p "$scratch/corpus"
cp -n "$corpus"/* "$scratch/corpus/"
log=$scratch/fuzz.log
status=0
# A single input that takes 30 s or 1 GiB means a cost that grows faster than the input: a
# sanitized build on a busy machine takes a few seconds for the largest scenes.
"$fuzzer" -max_len="$max_len" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=1024 \
  -print_final_stats=1 -artifact_prefix="$scratch/" "${dictionary[@]}" "$scratch/corpus" \
  >"$log" 2>&1 || status=$?

units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
echo "$(basename "$fuzzer"): ${units:-no final stats} inputs in ${seconds} s, exit status $status" |
  tee "$scratch/summary.txt"
if [ "$status" -ne 0 ]; then tail -n 80 "$log"; fi
exit "$status"
