#!/usr/bin/env bash
# The Windows zip as a user gets it: unpacked into a folder of its own, its programs run
# under wine from there (the working folder elsewhere), so that it is known to hold all
# they need: no DLL beyond Windows' own, the logos found beside qw77-cli.exe, the fonts
# beside qw77-vprinter.exe.
#
#   zip_wine.sh ZIP
set -euo pipefail
zip=$(readlink -f "$1")
here=$(cd "$(dirname "$0")" && pwd)
wine_run=${QW77_WINE:-$here/../../tools/wine-run.sh}
work=$(mktemp -d "${TMPDIR:-/tmp}/qw77-zip.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
ok() { echo "ok: $*"; }

mkdir "$work/unpacked" "$work/elsewhere"
(cd "$work/unpacked" && cmake -E tar xf "$zip")
folder=$(find "$work/unpacked" -mindepth 1 -maxdepth 1 -type d)
[ "$(echo "$folder" | wc -l)" = 1 ] && [ -n "$folder" ] || { echo "FAIL: the zip holds no single folder" >&2; exit 1; }
for file in qw77-cli.exe qw77-vprinter.exe SPACE.BMP ORVAL.BMP CUADROS.BMP README.txt LICENSE.txt \
  fonts/unifont.hex fonts/Uni2-Terminus16.psf.gz fonts/Uni2-Terminus24x12.psf.gz; do
  [ -s "$folder/$file" ] || fail "the zip has no $file"
done
grep -q $'\r$' "$folder/README.txt" || fail "README.txt has no Windows line ends"

# The DLLs each program imports: none of the compiler's or the libraries' own.
for exe in qw77-cli.exe qw77-vprinter.exe; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$folder/$exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
  if echo "$dlls" | grep -qiE '(^| )(lib|zlib|zint)'; then
    fail "$exe needs DLLs that are not Windows' own: $dlls"
  else
    ok "$exe imports only Windows' own DLLs: $dlls"
  fi
done

cd "$work/elsewhere"
run() {  # <log> <program> <args...>: the exit code in $code
  local log=$1 program=$2
  shift 2
  code=0
  "$wine_run" "$folder/$program" "$@" >"$log" 2>&1 || code=$?
}
run version.txt qw77-cli.exe --version
[ "$code" = 0 ] && grep -q "[0-9]\.[0-9]" version.txt && ok "qw77-cli.exe --version: $(tr -d '\r' <version.txt)" ||
  fail "qw77-cli.exe --version: exit $code: $(cat version.txt)"
run compose.txt qw77-cli.exe compose --logo orval --lines 1 --out ticket.bin
[ "$code" = 0 ] && [ -s ticket.bin ] && ok "qw77-cli.exe compose --logo orval: $(stat -c %s ticket.bin) bytes" ||
  fail "qw77-cli.exe compose --logo orval: exit $code: $(cat compose.txt)"
run vprinter-help.txt qw77-vprinter.exe --help
[ "$code" = 0 ] && grep -q -- "--tcp" vprinter-help.txt && ok "qw77-vprinter.exe --help" ||
  fail "qw77-vprinter.exe --help: exit $code: $(head -n 5 vprinter-help.txt)"
# The virtual printer draws with the fonts beside it: a ticket from a file becomes a picture.
printf 'qw77\n\n\n' >ticket.txt
run render.txt qw77-vprinter.exe --render ticket.txt --out pictures --quiet
[ "$code" = 0 ] && [ -n "$(find pictures -name '*.png' 2>/dev/null)" ] &&
  ok "qw77-vprinter.exe --render: a picture" || fail "qw77-vprinter.exe --render: exit $code: $(cat render.txt)"
exit "$failed"
