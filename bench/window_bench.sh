#!/usr/bin/env bash
# Start-up of the qw77 window: time from launching the program to the window's first
# paint, and the window's resident memory once it is up. Runs under a virtual X server
# when there is no display. The first run is the coldest one the machine allows without
# dropping its caches; the median is over the runs after it.
#
#   bash bench/window_bench.sh            # release build, 7 runs
#   RUNS=15 QW77_PRESET=debug bash bench/window_bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."

preset=${QW77_PRESET:-release}
runs=${RUNS:-7}
bin=build/$preset/bin/qw77

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
if [ ! -x "$bin" ]; then
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target qw77 >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

launch_ms=()
inside_ms=()
rss_kib=()
for ((i = 1; i <= runs; i++)); do
  out="$work/run$i.txt"
  t0=$(date +%s%N)
  QW77_REPORT_START=1 "$bin" >"$out" 2>"$work/err$i.txt" &
  pid=$!
  # The program prints its marker at the first paint; wait for it, at most 30 s.
  for ((w = 0; w < 3000; w++)); do
    grep -q "window shown" "$out" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || { echo "qw77 ended before its window showed:"; cat "$work/err$i.txt"; exit 1; }
    sleep 0.01
  done
  t1=$(date +%s%N)
  grep -q "window shown" "$out" || { echo "no window after 30 s"; kill "$pid"; exit 1; }
  sleep 0.5  # let it settle before reading its memory
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  launch_ms+=($(((t1 - t0) / 1000000)))
  inside_ms+=("$(sed -n 's/.*shown \([0-9]*\) ms.*/\1/p' "$out")")
  rss_kib+=("$rss")
done

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
rest() { shift; echo "$@"; }

echo "qw77 window start-up ($preset build, $runs runs, $(nproc) cores)"
printf '  %-44s %s\n' "first run: launch to first paint" "${launch_ms[0]} ms"
printf '  %-44s %s\n' "first run: main() to first paint" "${inside_ms[0]} ms"
if ((runs > 1)); then
  printf '  %-44s %s\n' "median of the others: launch to first paint" \
    "$(median $(rest "${launch_ms[@]}")) ms"
  printf '  %-44s %s\n' "median of the others: main() to first paint" \
    "$(median $(rest "${inside_ms[@]}")) ms"
fi
printf '  %-44s %s\n' "resident memory with the window up (median)" \
  "$(( $(median "${rss_kib[@]}") / 1024 )) MiB ($(median "${rss_kib[@]}") KiB)"
