#!/usr/bin/env bash
# Writes the README's pictures of the wizard: every page of one sample log's pass, at scale 1 and 2,
# rendered offscreen (no display needed), under a pinned wall clock and zone so that a picture changes
# only when the wizard does (the summary names the output after the current time).
#   scripts/screenshots.sh [OUTPUT_FOLDER]   (default docs/screens)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/screens}"
build=build/default
cmake --preset default >/dev/null
cmake --build --preset default --target tavisko wizard_screens >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tavisko" samples "$work" >/dev/null
mkdir -p "$out"
# Only the wall clock stands still: Qt's timers run on the monotonic one.
screens() {
  TZ=UTC FAKETIME_DONT_FAKE_MONOTONIC=1 QT_QPA_PLATFORM=offscreen faketime -f '2024-05-14 09:30:00' "$build/wizard_screens" "$@"
}
screens "$work/Site Data/Pumping Test MW-3.vxl" "$out" \
  2> >(grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints >&2)
ls "$out"
screens --logs "$work/Site Data" "$out" \
  2> >(grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints >&2)
ls "$out" | grep 0-logs
