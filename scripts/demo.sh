#!/usr/bin/env bash
# Sets up, builds and runs the program's main job on bundled sample data: writes the sample
# "Site Data" folder and shows what one of its logs holds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh default
demo=build/demo
rm -rf "$demo"
build/default/tavisko samples "$demo"
build/default/tavisko info "$demo/Site Data/Riverside Well/Pumping Test MW-3.vxl"
