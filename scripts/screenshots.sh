#!/usr/bin/env bash
# Writes the README's pictures of the wizard: every page of one sample log's pass, at scale 1 and 2,
# rendered offscreen (no display needed).
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
QT_QPA_PLATFORM=offscreen "$build/wizard_screens" "$work/Site Data/Pumping Test MW-3.vxl" "$out" \
  2> >(grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints >&2)
ls "$out"
QT_QPA_PLATFORM=offscreen "$build/wizard_screens" --logs "$work/Site Data" "$out" \
  2> >(grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints >&2)
ls "$out" | grep 0-logs
