#!/usr/bin/env bash
# qw77-cli status against an answering virtual printer on its pseudo-terminal: the wall
# time from starting the process to its exit, over RUNS runs (default 20), with the
# median, the fastest and the slowest. The job's own share (its elapsed_ms) is printed too.
#
#   bash bench/cli_status_bench.sh            # release build, 20 runs
#   RUNS=50 QW77_PRESET=debug bash bench/cli_status_bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."

preset=${QW77_PRESET:-release}
runs=${RUNS:-20}
bin=build/$preset/bin
if [ ! -x "$bin/qw77-cli" ] || [ ! -x "$bin/qw77-vprinter" ]; then
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target qw77-cli qw77-vprinter >/dev/null
fi

work=$(mktemp -d)
printer=""
cleanup() {
  [ -n "$printer" ] && kill "$printer" 2>/dev/null && wait "$printer" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

"$bin/qw77-vprinter" --serial-link "$work/com1" --out "$work/tickets" --quiet >"$work/printer.txt" 2>&1 &
printer=$!
for ((w = 0; w < 500; w++)); do
  grep -q '^ready' "$work/printer.txt" 2>/dev/null && break
  sleep 0.01
done
grep -q '^ready' "$work/printer.txt" || { echo "the virtual printer did not start:"; cat "$work/printer.txt"; exit 1; }

wall_ms=()
job_ms=()
for ((i = 1; i <= runs; i++)); do
  t0=$(date +%s%N)
  QW77_COM1="$work/com1" "$bin/qw77-cli" status --port COM1 --json >"$work/line.json" || {
    echo "run $i did not exit 0:"; cat "$work/line.json"; exit 1; }
  t1=$(date +%s%N)
  wall_ms+=("$(awk -v ns=$((t1 - t0)) 'BEGIN {printf "%.1f", ns / 1e6}')")
  job_ms+=("$(sed -n 's/.*"elapsed_ms":\([0-9]*\).*/\1/p' "$work/line.json")")
done

sorted() { printf '%s\n' "$@" | sort -g; }
median() { sorted "$@" | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

echo "qw77-cli status against the virtual printer ($preset build, $runs runs, $(nproc) cores)"
printf '  %-40s %s ms\n' "process start to exit, median" "$(median "${wall_ms[@]}")"
printf '  %-40s %s ms\n' "fastest" "$(sorted "${wall_ms[@]}" | head -n 1)"
printf '  %-40s %s ms\n' "slowest" "$(sorted "${wall_ms[@]}" | tail -n 1)"
printf '  %-40s %s ms\n' "the job itself (elapsed_ms), median" "$(median "${job_ms[@]}")"
