#!/usr/bin/env bash
# The Windows programs under wine against the Linux ones:
#  - qw77-cli.exe reaches the Linux virtual printer's pseudo-terminal as COM5 (wine's
#    dosdevices/com5 link to it), bound to COM1 by QW77_COM1=COM5: status exits 0, then 1
#    with the printer out of paper; print sends what the Linux qw77-cli sends (the printer's
#    command logs compared);
#  - ports lists COM1 bound to COM5 and no parallel port;
#  - the printer tools: info prints what the printer says it is, logo list reads its NV
#    memory;
#  - compose writes the same file as the Linux build for a table of settings;
#  - the Linux qw77-cli prints to qw77-vprinter.exe --tcp and the picture's barcode reads back;
#  - a COM port that does not exist and a network printer that refuses: the same exit code
#    as on Linux, and the cause in Windows' words.
#
#   e2e_wine.sh LINUX_BIN WINDOWS_BIN WORK_DIR
set -euo pipefail
linux=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
work=$(mkdir -p "$3" && cd "$3" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
wine_run=${QW77_WINE:-$here/../../tools/wine-run.sh}
export WINEPREFIX="${QW77_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/qw77/wine}"
export QW77_WINEPREFIX=$WINEPREFIX
rm -rf "$work"
mkdir -p "$work"
cd "$work"
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
ok() { echo "ok: $*"; }
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -f "$WINEPREFIX/dosdevices/com5"
}
trap cleanup EXIT
# The Windows side reads no ports file of the user's; the Linux side neither.
export XDG_CONFIG_HOME=$work/config HOME=$work
"$wine_run" cmd /c exit >/dev/null 2>&1 || true  # the wine folder exists from here on

wait_for() {  # <file> <pattern>
  for _ in $(seq 1 300); do
    grep -q "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# A Linux virtual printer on a pseudo-terminal, which wine knows as COM5.
start_serial_printer() {  # <name> [options...]
  local name=$1
  shift
  "$linux/qw77-vprinter" --serial-link "$work/$name.link" --out "$work/$name" \
    --log "$work/$name.log" --quiet "$@" >"$work/$name.out" 2>&1 &
  pids+=($!)
  wait_for "$work/$name.out" '^ready' || fail "the printer $name did not start"
  ln -sfn "$(readlink -f "$work/$name.link")" "$WINEPREFIX/dosdevices/com5"
}

run_windows() {  # <log> <args...>: the exit code in $code
  local log=$1
  shift
  code=0
  QW77_COM1=COM5 "$wine_run" "$windows/qw77-cli.exe" "$@" >"$log" 2>&1 || code=$?
}

# Status, ready and then out of paper.
start_serial_printer ready
run_windows status-ready.txt status --port COM1
[ "$code" = 0 ] && ok "status exits 0: $(tr -d '\r' <status-ready.txt)" || fail "status: $code $(cat status-ready.txt)"
kill "${pids[-1]}" 2>/dev/null || true
start_serial_printer paperout --paper-out
run_windows status-paperout.txt status --port COM1
[ "$code" = 1 ] && ok "status with the paper out exits 1: $(tr -d '\r' <status-paperout.txt)" ||
  fail "status, paper out: $code $(cat status-paperout.txt)"
kill "${pids[-1]}" 2>/dev/null || true

# The ports: COM1 bound to COM5, the parallel ports not there.
run_windows ports.txt ports
if [ "$code" = 0 ] && grep -q "^  COM1 - COM5  (from QW77_COM1)" <(tr -d '\r' <ports.txt) &&
  grep -q "^  LPT1 - not available on Windows  (default)" <(tr -d '\r' <ports.txt); then
  ok "ports: COM1 reaches COM5, LPT1 is not available"
else
  fail "ports: $code $(cat ports.txt)"
fi

# The printer tools: info reads what the printer says it is, logo list its NV memory.
start_serial_printer tools --model TP-W77 --firmware "FW 1.23" --serial-number SN-0042
run_windows info.txt info --port COM1
if [ "$code" = 0 ] && grep -q "^model: TP-W77" info.txt && grep -q "^firmware: FW 1.23" info.txt &&
  grep -q "^serial number: SN-0042" info.txt; then
  ok "info names the printer: $(tr -d '\r' <info.txt | head -n 1)"
else
  fail "info: $code $(cat info.txt)"
fi
run_windows logo-list.txt logo list --port COM1
[ "$code" = 0 ] && grep -q "^logos: none" logo-list.txt && ok "logo list exits 0: $(tr -d '\r' <logo-list.txt | head -n 1)" ||
  fail "logo list: $code $(cat logo-list.txt)"
kill "${pids[-1]}" 2>/dev/null || true

# Print: the same bytes from both builds, as the printer logged them.
ticket=(--lines 3 --text "Windows and Linux" --logo orval --barcode ean13:590123412345)
start_serial_printer print-windows
run_windows print-windows.txt print --port COM1 "${ticket[@]}"
[ "$code" = 0 ] || fail "print from Windows: $code $(cat print-windows.txt)"
kill "${pids[-1]}" 2>/dev/null || true
start_serial_printer print-linux
QW77_COM1=$work/print-linux.link "$linux/qw77-cli" print --port COM1 "${ticket[@]}" \
  >print-linux.txt 2>&1 || fail "print from Linux: $(cat print-linux.txt)"
kill "${pids[-1]}" 2>/dev/null || true
sleep 0.5
strip() { sed -e "s|$work/print-[a-z]*|OUT|g" "$1"; }
if diff <(strip print-windows.log) <(strip print-linux.log) >print.diff; then
  ok "print sends the same bytes as the Linux build ($(grep -c . print-linux.log) log lines)"
else
  fail "the printer logged different commands: $(head -n 20 print.diff)"
fi

# Compose: the same file for each row of settings.
while read -r row; do
  [ -n "$row" ] || continue
  # shellcheck disable=SC2086
  "$linux/qw77-cli" compose $row --out "$work/compose-linux.bin" >/dev/null
  # shellcheck disable=SC2086
  "$wine_run" "$windows/qw77-cli.exe" compose $row --out "$work/compose-windows.bin" >/dev/null
  cmp -s compose-linux.bin compose-windows.bin && ok "compose $row: the same file" ||
    fail "compose $row: the files differ"
done <<'ROWS'
--paper 60
--paper 80 --font B --xscale 2 --yscale 3 --lines 4
--text Hola --line-spacing 40 --char-spacing 3 --left-margin 64 --density -5 --speed 50
--logo space --barcode code39:AB-12 --parity E --baud 19200
--logo squares --barcode code128:123456789012 --paper 80 --lines 50
ROWS

# The Linux qw77-cli prints to the Windows virtual printer over TCP.
"$wine_run" "$windows/qw77-vprinter.exe" --tcp 127.0.0.1:0 --out "$work/tcp" \
  >tcp-printer.txt 2>&1 &
pids+=($!)
wait_for tcp-printer.txt '^ready' || fail "qw77-vprinter.exe --tcp did not start: $(cat tcp-printer.txt)"
port=$(sed -n 's/^tcp: 127.0.0.1:\([0-9]*\).*/\1/p' tcp-printer.txt | tr -d '\r')
QW77_COM1=tcp:127.0.0.1:$port "$linux/qw77-cli" print --port COM1 --barcode ean13:590123412345 \
  >tcp-print.txt 2>&1 || fail "print over TCP: $(cat tcp-print.txt)"
for _ in $(seq 1 100); do
  [ -n "$(find tcp -name '*.png' 2>/dev/null)" ] && break
  sleep 0.1
done
sleep 0.5
read_back=$(zbarimg -q --nodbus tcp/*.png 2>/dev/null || true)
[ "$read_back" = "EAN-13:5901234123457" ] && ok "over TCP to Windows: the barcode reads back" ||
  fail "the barcode read back: \"$read_back\""

# Faults: the same exit code on both, and Windows' cause.
fault() {  # <what> <linux port binding> <windows port binding> <cause expected from Windows>
  local linux_code=0
  QW77_COM1=$2 "$linux/qw77-cli" status --port COM1 >fault-linux.txt 2>&1 || linux_code=$?
  code=0
  QW77_COM1=$3 "$wine_run" "$windows/qw77-cli.exe" status --port COM1 >fault-windows.txt 2>&1 ||
    code=$?
  if [ "$code" = "$linux_code" ] && [ "$code" != 0 ] && grep -q "$4" fault-windows.txt; then
    ok "$1: exit $code on both; $(tr -d '\r' <fault-windows.txt | head -n 1)"
  else
    fail "$1: Linux $linux_code, Windows $code: $(cat fault-windows.txt)"
  fi
}
fault "a COM port that does not exist" /dev/ttyNOSUCH COM9 "not found\|cannot find"
# A COM port held by another program: Windows' serial driver refuses a second opening
# (access denied, which the link reports as busy: exit 3, "another program holds the
# port"), but wine keeps no COM port exclusive, so it cannot be staged here.
fault "a network printer that refuses" tcp:127.0.0.1:1 tcp:127.0.0.1:1 "actively refused\|refused"
exit "$failed"
