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
mkdir -p "$WINEPREFIX"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine="$(command -v wine64 || command -v wine)"
if [ "${1:-}" = wineserver ]; then
  shift
  server=/usr/lib/wine/wineserver64
  [ -x "$server" ] || server="$(command -v wineserver)"
  exec "$server" "$@"
fi
exec "$wine" "$@"
