#!/usr/bin/env bash
# The reference page on a 1,000,000-row log and the log list page on a "Site Data" folder of 1,000 logs.
#   bench/pages.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build="${1:-build/default}"
runs="${2:-3}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_large_log" "$work/large.vxl" 1000000 >/dev/null
mkdir -p "$work/Site Data"
QT_QPA_PLATFORM=offscreen "$build/bench/bench_pages" "$work/large.vxl" "$work/Site Data" 1000 "$runs" \
  2> >(grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints >&2)
