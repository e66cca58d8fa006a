#!/usr/bin/env bash
# Runs every fuzzer of a fuzzing build for a while; usage: tests/fuzz/run.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=${1:?build folder}
seconds=${2:-60}
for fuzzer in "$build"/bin/fuzz_*; do
  echo "== $(basename "$fuzzer")"
  corpus=$(mktemp -d)
  "$fuzzer" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 "$corpus" 2>&1 | grep -E 'stat::number_of_executed_units|ERROR|SUMMARY|Done' || true
  rm -rf "$corpus"
done
