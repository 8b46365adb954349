#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build (cmake -DVORNIX_FUZZ=ON) for SECONDS each:
#
#   scripts/fuzz.sh BUILD_DIR [SECONDS]      (SECONDS: 60 when not given)
#
# Each target starts with the inputs kept in fuzz/corpus/<name> (so a crash found and fixed once
# stays tested) and what earlier runs found in BUILD_DIR/fuzz-corpus/<name>, where new inputs
# go; the repository's corpus is only read. A crash, a leak, a hang or a failed expectation
# stops that target, keeps its input in BUILD_DIR/fuzz-artifacts and fails the run: once fixed,
# copy the input into fuzz/corpus/<name> under a name that says what it found.
set -euo pipefail

build=${1:?usage: scripts/fuzz.sh BUILD_DIR [SECONDS]}
seconds=${2:-60}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)

# The configuration targets save files many times a second: on tmpfs the saves' fsync is free.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
export QT_QPA_PLATFORM=offscreen

mkdir -p "$build/fuzz-corpus" "$build/fuzz-artifacts" "$build/fuzz-logs"
fuzzers=("$build"/fuzz/fuzz_*)
[ -x "${fuzzers[0]}" ] || { echo "fuzz: no fuzz targets in $build/fuzz (build the 'fuzzers' target)" >&2; exit 1; }

failed=()
for fuzzer in "${fuzzers[@]}"; do
  name=${fuzzer##*/fuzz_}
  corpus=$build/fuzz-corpus/$name
  log=$build/fuzz-logs/$name.log
  mkdir -p "$corpus"
  args=(-max_total_time="$seconds" -timeout=20 -print_final_stats=1 -close_fd_mask=1
        -artifact_prefix="$build/fuzz-artifacts/$name-")
  [ -f "$source_dir/fuzz/$name.dict" ] && args+=(-dict="$source_dir/fuzz/$name.dict")
  if "$fuzzer" "${args[@]}" "$corpus" "$source_dir/fuzz/corpus/$name" > "$log" 2>&1; then
    outcome=ok
  else
    outcome="FAILED (log: $log)"
    failed+=("$name")
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  coverage=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+' "$log" | tail -1 || true)
  printf 'fuzz %-15s %9s runs %6s/s  %-32s %s\n' "$name" "${runs:-?}" "${speed:-?}" "${coverage:-}" "$outcome"
  if [ "$outcome" != ok ]; then
    grep -E -A12 'expectation failed|ERROR: |runtime error' "$log" | head -40 || tail -40 "$log"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: ${failed[*]} failed; the inputs are in $build/fuzz-artifacts" >&2
  exit 1
fi
