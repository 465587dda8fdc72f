#!/usr/bin/env bash
# The main job: install what is missing, build, start the virtual printer as COM1 (serial,
# on a pseudo-terminal) and LPT1 (parallel, on a socket), and open the qw77 window on it.
# Every ticket the printer prints is drawn as a PNG in out/demo/tickets/.
#
# Without a display (no $DISPLAY) the window runs under a virtual X server instead: the
# demo prints one sample ticket through the real window, by its keyboard, and says where
# the ticket's picture and a screenshot of the window are.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target qw77 qw77-vprinter

bin=$root/build/release/bin
run=$root/out/demo
rm -rf "$run"
mkdir -p "$run/tickets"
com1=$run/com1
lpt1=$run/lpt1.sock

"$bin/qw77-vprinter" --serial-link "$com1" --parallel-socket "$lpt1" --out "$run/tickets" \
  --log "$run/printer.log" --quiet >"$run/vprinter.out" 2>&1 &
vprinter=$!
cleanup() {
  kill "$vprinter" 2>/dev/null || true
  wait "$vprinter" 2>/dev/null || true
}
trap cleanup EXIT

for ((i = 0; i < 100; i++)); do
  [ -e "$com1" ] && [ -S "$lpt1" ] && break
  kill -0 "$vprinter" 2>/dev/null || { cat "$run/vprinter.out"; exit 1; }
  sleep 0.1
done
[ -e "$com1" ] && [ -S "$lpt1" ] || { echo "demo: the virtual printer did not come up"; exit 1; }

export QW77_COM1=$com1
export QW77_PORT_ACCESS=vprinter:$lpt1

echo "demo: virtual printer up: COM1 is $com1, LPT1 is $lpt1"
if [ -n "${DISPLAY:-}" ]; then
  echo "demo: printed tickets appear as pictures in $run/tickets/"
  echo "demo: the printer's command log is $run/printer.log"
  # The spool file is written in the current folder; keep it out of the checkout.
  (cd "$run" && "$bin/qw77")
  echo "demo: tickets printed: $(find "$run/tickets" -name '*.png' | wc -l), in $run/tickets/"
  exit 0
fi

echo "demo: no display; running the window under a virtual X server"
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$root/tools/demo_headless.sh" "$bin/qw77" "$run"
