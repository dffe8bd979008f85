#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite of one preset (default: "default"). The windows preset
# runs the suites under Wine (scripts/wine.sh) and then compares the Windows program's corrected samples
# with the Linux program's.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
scripts/build.sh "$preset"
if [ "$preset" = windows ]; then
  ctest --preset "$preset"
  scripts/compare_windows_outputs.sh
  # The prefix takes some 700 MB and a few seconds to make again: it goes.
  scripts/wine.sh wineserver -w
  rm -rf build/windows/wine
else
  ctest --preset "$preset"
fi
