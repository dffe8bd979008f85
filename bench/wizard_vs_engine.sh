#!/usr/bin/env bash
# The wizard on a 1,000,000-row, 4-channel log against the engine alone (medians of RUNS runs).
#   bench/wizard_vs_engine.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build="${1:-build/default}"
runs="${2:-3}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_large_log" "$work/large.vxl" 1000000 >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bench/bench_wizard" "$work/large.vxl" "$runs" \
  2> >(grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints >&2)
