#!/usr/bin/env bash
# Sets up, builds and runs the program's main job on bundled sample data.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh default
build/default/tavisko info build/default/samples/sample.vxl
