#!/usr/bin/env bash
# Runs `vornix --headless --source demo` for a while and reports its CPU share of one core and
# its memory: the resident size sampled every 30 s (it must stay flat) and the peak.
# Usage: scripts/measure_demo_run.sh [SECONDS=600] [BUILD_DIR=build]
set -euo pipefail
seconds=${1:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/share/demo/Vornix配置文件.ini" "$work/"

/usr/bin/time -f "%U %S %e %M" -o "$work/time" \
  "$build/src/app/vornix" --headless --source demo --pointer none --trace \
  --config "$work/Vornix配置文件.ini" >"$work/trace" 2>&1 &
runner=$!
sleep 1
pid=$(pgrep -n -f "vornix --headless --source demo --pointer none --trace --config $work")
echo "resident size every 30 s (KiB):"
for ((t = 0; t < seconds; t += 30)); do
  ps -o rss= -p "$pid" | tr -d ' '
  sleep $((seconds - t < 30 ? seconds - t : 30))
done
kill -INT "$pid"
wait "$runner" || true
read -r user system elapsed peak <"$work/time"
awk -v u="$user" -v s="$system" -v e="$elapsed" -v p="$peak" 'BEGIN {
  printf "run %.0f s, CPU %.1f s user + %.1f s system = %.2f %% of one core, peak resident %d KiB\n",
         e, u, s, 100 * (u + s) / e, p }'
echo "frame-rate read-outs: $(grep -o 'fps [0-9]*' "$work/trace" | sort | uniq -c | tr -s ' ' | paste -sd ',')"
