#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite of one preset (default: "default"). The windows preset
# runs the suites under Wine and then compares the Windows program's corrected samples with the Linux
# program's.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
scripts/build.sh "$preset"
if [ "$preset" = windows ]; then
  scripts/wine.sh wineboot -i
  ctest --preset "$preset"
  scripts/compare_windows_outputs.sh
else
  ctest --preset "$preset"
fi
