#!/usr/bin/env bash
# Runs `vornix --headless --source demo --pointer none --trace` for a while and reports its CPU
# share of one core and its memory: the resident size sampled every SAMPLE seconds, the first and
# the last sample, and whether it stayed flat (the last sample within 1 MiB of the first), and
# the peak. Ends with status 1 when the resident size grew by more than 1 MiB.
# Usage: scripts/measure_demo_run.sh [SECONDS=600] [BUILD_DIR=build] [SAMPLE=30]
#   (the hour of BENCHMARKS.md: scripts/measure_demo_run.sh 3600)
set -euo pipefail
seconds=${1:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build}
sample=${3:-30}
warmup=5  # the first sample is taken once the scene plays and the tick runs
work=$(mktemp -d)
vornix=""
trap '[ -n "$vornix" ] && kill "$vornix" 2>/dev/null; rm -rf "$work"' EXIT
cp "$root/share/demo/Vornix配置文件.ini" "$work/"

/usr/bin/time -f "%U %S %e %M" -o "$work/time" \
  "$build/src/app/vornix" --headless --source demo --pointer none --trace \
  --config "$work/Vornix配置文件.ini" >"$work/trace" 2>&1 &
runner=$!
sleep "$warmup"
vornix=$(pgrep -P "$runner" -n vornix || true)
[ -n "$vornix" ] || { echo "measure_demo_run: vornix did not start" >&2; cat "$work/trace" >&2; exit 2; }

echo "resident size every $sample s (KiB):"
first=""
last=""
for ((t = warmup; t < seconds; t += sample)); do
  rss=$(ps -o rss= -p "$vornix" | tr -d ' ')
  [ -n "$rss" ] || { echo "measure_demo_run: vornix ended early" >&2; exit 2; }
  printf '%6d s  %s\n' "$t" "$rss"
  first=${first:-$rss}
  last=$rss
  sleep $((seconds - t < sample ? seconds - t : sample))
done
last=$(ps -o rss= -p "$vornix" | tr -d ' ')
printf '%6d s  %s\n' "$seconds" "$last"
kill -INT "$vornix"
wait "$runner" || true
vornix=""

read -r user system elapsed peak <"$work/time"
awk -v u="$user" -v s="$system" -v e="$elapsed" -v p="$peak" 'BEGIN {
  printf "run %.0f s, CPU %.1f s user + %.1f s system = %.2f %% of one core, peak resident %d KiB\n",
         e, u, s, 100 * (u + s) / e, p }'
echo "frame-rate read-outs: $(grep -o 'fps [0-9]*' "$work/trace" | sort | uniq -c | tr -s ' ' | paste -sd ',')"
change=$((last - first))
if [ "${change#-}" -le 1024 ]; then
  echo "resident size: first $first KiB, last $last KiB, change $change KiB: flat (within 1 MiB)"
else
  echo "resident size: first $first KiB, last $last KiB, change $change KiB: NOT flat (more than 1 MiB)"
  exit 1
fi
