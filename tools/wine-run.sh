#!/usr/bin/env bash
# Runs a Windows program under wine, in a wine folder of qw77's own outside the checkout
# (made once), with wine's own chatter off. CMake runs the test programs through this.
#
#   wine-run.sh program.exe [args...]
set -euo pipefail
export WINEPREFIX="${QW77_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/qw77/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine=$(command -v wine64 || command -v wine || true)
[ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64
[ -n "$wine" ] || { echo "wine-run.sh: wine is not installed (tools/setup.sh --windows)" >&2; exit 127; }
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  # Two builds starting at once would make the folder twice: the first one makes it.
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  flock -u 9
fi
exec "$wine" "$@"
