#!/usr/bin/env bash
# Installs a qw77 .deb into this machine with apt, checks the installed programs from PATH,
# prints the demo ticket through the window started by the menu entry's command (under a
# virtual X server, to the installed virtual printer) and removes the package again.
#
#   check_installed.sh <qw77_*.deb> [run folder, default out/package-check]
#
# The ticket's logo must come from the installed data folder: nothing else holds it, as
# /usr/bin has no logo beside the program. Skipped, with a line saying why, when this user
# may not install packages or when qw77 is installed already (it is not replaced).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
deb=$(realpath "${1:?usage: check_installed.sh <qw77_*.deb> [run folder]}")
run=$(realpath -m "${2:-out/package-check}")

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    sudo=(sudo -n)
  else
    echo "install check: skipped: not root, and sudo is not available without a password"
    exit 0
  fi
fi

# One install check at a time on this machine: other checkouts may run theirs.
exec 9>"${TMPDIR:-/tmp}/qw77-install-check.lock"
flock -w 600 9 || { echo "install check: another one has held the lock for 10 minutes" >&2; exit 1; }
if dpkg-query -W -f='${Status}' qw77 2>/dev/null | grep -q "install ok installed"; then
  echo "install check: skipped: qw77 $(dpkg-query -W -f='${Version}' qw77) is installed on this" \
    "machine already, and is left as it is"
  exit 0
fi

apt_options=(-y -qq -o DPkg::Lock::Timeout=300)
vprinter=""
installed=0
cleanup() {
  [ -n "$vprinter" ] && { kill "$vprinter" 2>/dev/null || true; wait "$vprinter" 2>/dev/null || true; }
  if ((installed)); then
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get purge "${apt_options[@]}" qw77 >/dev/null
    echo "install check: qw77 removed again"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM  # so that an interrupted check still removes the package

rm -rf "$run"
mkdir -p "$run/tickets"
version=$(dpkg-deb -f "$deb" Version)
echo "install check: apt-get install $(basename "$deb")"
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install "${apt_options[@]}" \
  --no-install-recommends "$deb" >"$run/apt.log" 2>&1 || { cat "$run/apt.log"; exit 1; }
installed=1

fail() {
  echo "install check: $*" >&2
  exit 1
}

[ "$(command -v qw77)" = /usr/bin/qw77 ] || fail "qw77 is not /usr/bin/qw77 on PATH"
said=$(qw77 --version) || fail "qw77 --version failed"
[ "$said" = "qw77 $version" ] || fail "qw77 --version says \"$said\", not \"qw77 $version\""
echo "install check: qw77 --version: $said"
qw77-vprinter --help >/dev/null || fail "qw77-vprinter --help failed"
echo "install check: qw77-vprinter --help: $(qw77-vprinter --help | head -n 1)"
if dpkg -L qw77 | grep -qx /usr/bin/qw77-cli; then
  said=$(qw77-cli --version) || fail "qw77-cli --version failed"
  echo "install check: qw77-cli --version: $said"
fi

# The logos are in the data folder only; the window must find them there.
data=/usr/share/qw77
[ -f "$data/SPACE.BMP" ] || fail "$data/SPACE.BMP is not installed"
[ ! -e /usr/bin/SPACE.BMP ] || fail "/usr/bin/SPACE.BMP exists: the check would prove nothing"
read -r logo_width logo_height < <(od -An -t d4 -j 18 -N 8 "$data/SPACE.BMP")

# The command of the menu entry, without its field codes (%f, %U, ...).
entry=$(dpkg -L qw77 | grep '^/usr/share/applications/.*\.desktop$' | head -n 1)
[ -n "$entry" ] || fail "the package has no desktop entry"
command_line=$(sed -n 's/^Exec=//p' "$entry" | head -n 1 | sed 's/ %[A-Za-z]//g')
echo "install check: the menu entry $(basename "$entry") runs \"$command_line\""

com1=$run/com1
lpt1=$run/lpt1.sock
# --no-pace: the check needs the ticket, not its real time on the line.
qw77-vprinter --serial-link "$com1" --parallel-socket "$lpt1" --out "$run/tickets" \
  --log "$run/printer.log" --quiet --no-pace >"$run/vprinter.out" 2>&1 &
vprinter=$!
for ((i = 0; i < 100; i++)); do
  [ -e "$com1" ] && [ -S "$lpt1" ] && break
  kill -0 "$vprinter" 2>/dev/null || { cat "$run/vprinter.out"; fail "the virtual printer ended"; }
  sleep 0.1
done
[ -e "$com1" ] && [ -S "$lpt1" ] || fail "the virtual printer did not come up"

echo "install check: the window under a virtual X server prints the demo ticket"
QW77_COM1=$com1 QW77_PORT_ACCESS=vprinter:$lpt1 QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  bash "$root/tools/demo_headless.sh" "$command_line" "$run" | sed 's/^demo: /  /'

expected="image ${logo_width}x${logo_height} dots"
grep -q "GS v 0.*$expected" "$run/printer.log" ||
  fail "the printer received no ${logo_width}x${logo_height} logo; its log: $run/printer.log"
echo "install check: the ticket carries the SPACE logo ($expected), read from $data"
