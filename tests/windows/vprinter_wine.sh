#!/usr/bin/env bash
# The Windows virtual printer under wine. Tickets printed from files (--render) and over
# TCP must come out as the Linux build's reference pictures, pixel for pixel; the ticket's
# barcodes must read back; the web view must list the ticket over TCP, serve its picture and
# take a switch; what Windows lacks must be refused with a message saying so.
#
#   vprinter_wine.sh qw77-vprinter.exe WORK_DIR
set -euo pipefail
exe=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
golden=$here/../vprinter/golden
wine_run=${QW77_WINE:-$here/../../tools/wine-run.sh}
rm -rf "$work"
mkdir -p "$work"
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# The one picture in a folder, once the printer has written it.
picture_in() { find "$1" -maxdepth 1 -name '*.png' | sort | head -n 1; }

same_picture() {  # <made> <reference> <what>
  local differ
  differ=$(compare -metric AE "$1" "$2" null: 2>&1 >/dev/null || true)
  [ "$differ" = "0" ] && echo "ok: $3 matches the reference" || fail "$3: $differ pixels differ"
}

# From files: each reference ticket at the paper width it was drawn for.
for ticket in ticket:58 receipt:80 code_pages:80; do
  name=${ticket%%:*}
  out=$work/render-$name
  if ! "$wine_run" "$exe" --render "$golden/$name.bin" --paper "${ticket##*:}" --out "$out" \
    --quiet >"$work/render-$name.log" 2>&1; then
    fail "--render $name: $(cat "$work/render-$name.log")"
    continue
  fi
  same_picture "$(picture_in "$out")" "$golden/$name.png" "--render $name"
done
scanned=$(zbarimg -q --nodbus "$(picture_in "$work/render-ticket")" 2>/dev/null | sort | tr '\n' ' ')
[ "$scanned" = "CODE-128:12345678 CODE-39:AB 12 EAN-13:5901234123457 I2/5:12345678 " ] &&
  echo "ok: the ticket's barcodes read back" || fail "barcodes read: $scanned"

# Over TCP: the printer on a free port, the ticket sent from Linux; its web view beside.
out=$work/tcp
"$wine_run" "$exe" --tcp 127.0.0.1:0 --http 127.0.0.1:0 --out "$out" \
  --log "$work/tcp-commands.log" >"$work/tcp.log" 2>&1 &
printer=$!
port=""
for _ in $(seq 1 300); do
  port=$(sed -n 's/^tcp: 127.0.0.1:\([0-9]*\).*/\1/p' "$work/tcp.log" | tr -d '\r')
  [ -n "$port" ] && grep -q '^ready' "$work/tcp.log" && break
  kill -0 "$printer" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$port" ]; then
  fail "--tcp did not start: $(cat "$work/tcp.log")"
else
  # The status request is answered over the same connection.
  reply=$(python3 - "$port" "$golden/ticket.bin" <<'PY'
import socket, sys
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=20)
s.sendall(b"\x10\x04\x01")
print(s.recv(1)[0])
s.sendall(open(sys.argv[2], "rb").read())
s.shutdown(socket.SHUT_WR)
s.settimeout(20)
while s.recv(4096):
    pass
PY
  ) || fail "the TCP client failed"
  [ "$reply" = "18" ] && echo "ok: status over TCP" || fail "status reply over TCP: $reply"
  for _ in $(seq 1 300); do
    [ -n "$(picture_in "$out")" ] && break
    sleep 0.1
  done
  sleep 0.5
  if [ -n "$(picture_in "$out")" ]; then
    same_picture "$(picture_in "$out")" "$golden/ticket.png" "a ticket over TCP"
  else
    fail "no picture from the ticket over TCP: $(cat "$work/tcp.log")"
  fi
  # The web view: the page, the ticket listed and its picture as on disk, and a switch the
  # printer's loop takes (the request waits for it, so a loop that does not wake fails it).
  web=http://$(sed -n 's/^http: \([0-9.:]*\).*/\1/p' "$work/tcp.log" | tr -d '\r')
  if curl -sf "$web/" | grep -q '<title>qw77 virtual printer</title>'; then
    echo "ok: the web view serves its page"
  else
    fail "the web view's page at $web"
  fi
  listed=$(curl -sf "$web/api/tickets" |
    python3 -c 'import json,sys; print(" ".join(t["source"] + ":" + t["stem"] for t in json.load(sys.stdin)))')
  [ "$listed" = "tcp:ticket-0001" ] && echo "ok: the web view lists the ticket" ||
    fail "the web view lists: $listed"
  curl -sf "$web/api/tickets/1.png" -o "$work/served.png" &&
    cmp -s "$work/served.png" "$(picture_in "$out")" &&
    echo "ok: the web view serves the picture as written" || fail "the picture served differs"
  curl -sf -X PUT -H 'Content-Type: application/json' -d '{"paper_out":true}' \
    "$web/api/printer/conditions" >/dev/null &&
    curl -sf "$web/api/printer" | grep -q '"paper_out":true' &&
    echo "ok: the web view's switch is taken" || fail "the paper-out switch was not taken"
fi
kill "$printer" 2>/dev/null || true
wait "$printer" 2>/dev/null || true

# The Linux interfaces are refused, saying so.
for refused in "--serial-link COM9" "--parallel-socket x"; do
  # shellcheck disable=SC2086
  if "$wine_run" "$exe" $refused --tcp 0 --out "$work/refused" >"$work/refused.log" 2>&1; then
    fail "$refused was taken"
  elif grep -q "Windows" "$work/refused.log"; then
    echo "ok: $refused refused: $(tr -d '\r' <"$work/refused.log" | grep Windows)"
  else
    fail "$refused: $(cat "$work/refused.log")"
  fi
done
exit "$failed"
