#!/usr/bin/env bash
# Runs a Windows program under Wine in the windows preset's own prefix (build/windows/wine, made on
# first use), with no display and no Wine diagnostics. CTest runs every test program through it.
#   scripts/wine.sh build/windows/tavisko.exe --version
#   scripts/wine.sh wineserver -w     # waits until the prefix's server has gone
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/windows/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No browser or .NET runtime to offer: the prefix needs neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
unset DISPLAY WAYLAND_DISPLAY
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine="$(command -v wine64 || command -v wine)"
if [ "${1:-}" = wineserver ]; then
  shift
  server=/usr/lib/wine/wineserver64
  [ -x "$server" ] || server="$(command -v wineserver)"
  exec "$server" "$@"
fi
# The prefix is made once, by whichever of the programs CTest starts side by side comes first.
if [ ! -f "$WINEPREFIX/.tavisko-ready" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.tavisko-ready" ]; then
      "$wine" wineboot -i >/dev/null 2>&1
      # Regional settings as the C locale gives on Linux (ISO dates, a 24-hour clock), which the
      # suites expect; the engine reads them from Windows like any user's.
      for setting in "sShortDate yyyy-MM-dd" "sTimeFormat HH:mm:ss" "sList ,"; do
        set -- $setting
        "$wine" reg add 'HKCU\Control Panel\International' /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1
      done
      touch "$WINEPREFIX/.tavisko-ready"
    fi
  ) 9>"$WINEPREFIX/.lock"
fi
exec "$wine" "$@"
