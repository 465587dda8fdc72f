#!/usr/bin/env bash
# Part of tools/demo.sh, run inside a virtual X server: opens the qw77 window, prints one
# sample ticket through it the way an operator would and takes a screenshot.
#
#   demo_headless.sh <qw77 executable> <run folder>
set -euo pipefail
qw77=$1
run=$2
title="RX's and MQ's Testing Software"

(cd "$run" && exec "$qw77") >"$run/qw77.out" 2>&1 &
app=$!
trap 'kill "$app" 2>/dev/null || true' EXIT

wid=$(timeout 30 xdotool search --sync --name "$title" | head -n 1) || {
  echo "demo: the window did not open"
  cat "$run/qw77.out"
  exit 1
}
xdotool windowfocus --sync "$wid"
sleep 0.5

key() { xdotool key --window "$wid" --clearmodifiers "$@"; sleep 0.05; }
tabs() { for ((t = 0; t < $1; t++)); do key Tab; done; }

# Exit holds the focus at start. Tab goes to the paper width, the port, then the selected
# baud rate and parity options: their focus handlers fill the serial settings ("9600,N").
tabs 4
# On to the number of lines (past the fixed data and stop bits, Restore, Check, the seven
# status boxes and the format rows): three lines.
tabs 25
key Right Right
# On to the barcode field (past density, the speed and the Autotest and About buttons):
# check Print Barcode and Print Graphic, then come back and type an EAN-13 code.
tabs 6
key Tab space Tab Tab Tab space
key shift+Tab shift+Tab shift+Tab shift+Tab
for digit in 5 9 0 1 2 3 4 1 2 3 4 5; do key "$digit"; done
import -window "$wid" "$run/window.png"
# Alt+P is the accelerator of Print.
key alt+p

# The printer draws the ticket when it has taken the closing feed.
ticket=""
for ((i = 0; i < 600; i++)); do
  ticket=$(find "$run/tickets" -name '*.png' | sort | head -n 1)
  [ -n "$ticket" ] && break
  if ! kill -0 "$app" 2>/dev/null; then
    echo "demo: the window ended before the ticket came out"
    cat "$run/qw77.out"
    exit 1
  fi
  sleep 0.1
done
if [ -z "$ticket" ]; then
  echo "demo: no ticket after 60 s; the printer's log:"
  tail -n 20 "$run/printer.log" 2>/dev/null || true
  import -window root "$run/window.png"
  echo "demo: screenshot of the screen: $run/window.png"
  exit 1
fi
sleep 1
import -window "$wid" "$run/window-after.png"
import -window root "$run/screen.png"
key alt+x  # Exit

echo "demo: printed one sample ticket through the window over COM1 at 9600,N,8,1"
echo "demo: the ticket as the printer drew it: $ticket"
if command -v zbarimg >/dev/null; then
  echo "demo: its barcode reads: $(zbarimg -q --raw "$ticket" 2>/dev/null || echo '(none found)')"
fi
echo "demo: the window before printing:         $run/window.png"
echo "demo: the window after printing:          $run/window-after.png"
echo "demo: the whole screen after printing:     $run/screen.png"
echo "demo: the printer's command log:          $run/printer.log"
