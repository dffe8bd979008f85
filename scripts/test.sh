#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite of one preset (default: "default").
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
scripts/build.sh "$preset"
ctest --preset "$preset"
