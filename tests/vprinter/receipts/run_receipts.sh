#!/usr/bin/env bash
# Prints the receipts of three ESC/POS libraries from npm (receipts.js) to qw77-vprinter
# over TCP and checks what the printer made of them: every library's receipt is a ticket,
# no command is logged as unknown, malformed or truncated, and zbarimg reads back every
# barcode and QR code the libraries sent.
#
#   run_receipts.sh VPRINTER_EXE WORK_DIR
#
# The libraries (versions pinned by package-lock.json) are installed with `npm ci` into
# WORK_DIR/npm, again only when the lock file changes.
set -euo pipefail

exe=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

command -v npm >/dev/null || fail "npm not found (tools/setup.sh installs it)"
command -v zbarimg >/dev/null || fail "zbarimg not found (tools/setup.sh installs it)"

mkdir -p "$work/npm"
if ! cmp -s "$here/package-lock.json" "$work/npm/package-lock.json" ||
  [ ! -d "$work/npm/node_modules" ]; then
  cp "$here/package.json" "$here/package-lock.json" "$work/npm/"
  # No install scripts: the libraries are plain JavaScript, and the optional native
  # adapters some of them list (USB, serial) are not used here.
  (cd "$work/npm" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error) ||
    fail "npm ci"
fi
cp "$here/receipts.js" "$work/npm/"

rm -rf "$work/tickets" "$work/printer.log" "$work/printer.out"
mkdir -p "$work/tickets"
"$exe" --tcp 0 --out "$work/tickets" --log "$work/printer.log" --quiet --idle-ms 1000 \
  >"$work/printer.out" 2>&1 &
printer=$!
trap 'kill $printer 2>/dev/null || true' EXIT

port=""
for _ in $(seq 100); do
  port=$(sed -n 's/^tcp: .*:\([0-9]*\)$/\1/p' "$work/printer.out")
  grep -q '^ready' "$work/printer.out" && [ -n "$port" ] && break
  kill -0 $printer 2>/dev/null || fail "the printer did not start: $(cat "$work/printer.out")"
  sleep 0.1
done
[ -n "$port" ] || fail "the printer gave no TCP port"

(cd "$work/npm" && timeout 120 node receipts.js 127.0.0.1 "$port") >"$work/codes.txt" ||
  fail "receipts.js"

# Each receipt ends with a cut, which ends its ticket.
for _ in $(seq 100); do
  [ "$(find "$work/tickets" -name 'ticket-*.png' | wc -l)" -ge 3 ] && break
  sleep 0.1
done
kill $printer
wait $printer || true
trap - EXIT

tickets=$(find "$work/tickets" -name 'ticket-*.png' | sort)
[ "$(echo "$tickets" | grep -c png)" -eq 3 ] || fail "expected 3 tickets, got: $tickets"

status=0
if grep -E ' (UNKNOWN|MALFORMED|TRUNCATED) ' "$work/printer.log"; then
  echo "FAIL: the lines above were not understood" >&2
  status=1
fi

# shellcheck disable=SC2086
zbarimg -q --raw $tickets >"$work/read.txt" 2>/dev/null || true
while read -r code; do
  if ! grep -qxF "$code" "$work/read.txt"; then
    echo "FAIL: code \"$code\" not read back from the tickets" >&2
    status=1
  fi
done <"$work/codes.txt"

echo "$(wc -l <"$work/codes.txt") codes read back from $(echo "$tickets" | wc -l) tickets;" \
  "$(wc -l <"$work/printer.log") log lines"
exit $status
