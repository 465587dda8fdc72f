#!/usr/bin/env bash
# Takes docs/printer-tools.png: the printer tools window (F6) beside the main window, after
# reading the information of a virtual printer on COM1, under a virtual X server.
#
#   bash tools/screenshot_tools.sh [build/debug/bin]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bin=${1:-$root/build/debug/bin}

if [ -z "${QW77_IN_XVFB:-}" ]; then
  QW77_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1480x760x24" bash "$0" "$bin"
fi

run=$(mktemp -d)
"$bin/qw77-vprinter" --serial-link "$run/com1" --out "$run" --quiet \
  --model "QW77 Bench 80" --firmware "2.07" --serial-number "QW77-00004217" \
  >"$run/vprinter.out" 2>&1 &
vprinter=$!
(cd "$run" && QW77_COM1=$run/com1 exec "$bin/qw77") >"$run/qw77.out" 2>&1 &
app=$!
trap 'kill "$app" "$vprinter" 2>/dev/null || true; rm -rf "$run"' EXIT

wid=$(timeout 30 xdotool search --sync --name "RX's and MQ's Testing Software" | head -n 1)
xdotool windowfocus --sync "$wid"
sleep 0.5
key() { xdotool key --clearmodifiers "$@"; sleep 0.1; }
# From Exit past the paper width and the port to the baud rate and the parity: their
# focus handlers take 9600 and N.
for _ in 1 2 3 4; do key Tab; done
key F6
tools=$(timeout 10 xdotool search --sync --name "^Printer tools$" | head -n 1)
xdotool windowfocus --sync "$tools"
sleep 0.3
key alt+r  # Read information
sleep 1
[ -n "${QW77_SHOT_HOOK:-}" ] && source "$QW77_SHOT_HOOK"
# The whole screen, cut to the tools window.
eval "$(xdotool getwindowgeometry --shell "$tools")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$root/docs/printer-tools.png"
echo "screenshot: $root/docs/printer-tools.png"
