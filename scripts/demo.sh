#!/usr/bin/env bash
# Sets up, builds and runs the program's main job on bundled sample data: writes the sample
# "Site Data" folder, checks its logs, and post-corrects one of them into "Post Corrected Files".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh default
tavisko=build/default/tavisko
demo=build/demo
rm -rf "$demo"
"$tavisko" samples "$demo"
"$tavisko" check "$demo/Site Data"/*.vxl || true  # some samples are refused on purpose
source="$demo/Site Data/Pumping Test MW-3.vxl"
corrected=$("$tavisko" correct "$source" --mode pressure-head --sg fresh)
"$tavisko" info "$corrected"
