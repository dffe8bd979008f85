#!/usr/bin/env bash
# Sets up, builds and runs the program's main job on bundled sample data: writes the sample
# "Site Data" folder, checks its logs, and post-corrects one of them into "Post Corrected Files".
# With a display the wizard opens on that log (through `tavisko wizard`, as a host opens the plug-in);
# without one the command line corrects it and every page the wizard shows for it is written as PNG
# into build/demo/screens/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh default
build=build/default
tavisko=$build/tavisko
demo=build/demo
rm -rf "$demo"
"$tavisko" samples "$demo"
"$tavisko" check "$demo/Site Data"/*/*.vxl || true  # some samples are refused on purpose
source="$demo/Site Data/Riverside Well/Pumping Test MW-3.vxl"
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  "$tavisko" wizard "$source"
  ls "$demo/Site Data/Riverside Well/Post Corrected Files"
else
  corrected=$("$tavisko" correct "$source" --mode pressure-head --sg fresh)
  "$tavisko" info "$corrected"
  # The wizard's pages for the same log, as it would show them (this writes a second corrected copy;
  # corrected names carry the second, and an existing file is never replaced).
  sleep 1
  QT_QPA_PLATFORM=offscreen "$build/wizard_screens" "$source" "$demo/screens" \
    2> >(grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints >&2)
  echo "wizard pages: $demo/screens/"
  ls "$demo/screens"
fi
