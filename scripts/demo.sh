#!/usr/bin/env bash
# Sets up, builds and runs the program's main job on bundled sample data: writes the sample
# "Site Data" folder, checks its logs, and post-corrects one of them into "Post Corrected Files".
# With a display the wizard opens without files (through `tavisko wizard`, as a host opens the plug-in)
# and lists the samples, a demo settings hive pointing its working folder at build/demo; without one
# the command line corrects a log and every page the wizard shows for it is written as PNG into
# build/demo/screens/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh default
build=build/default
tavisko=$build/tavisko
demo=build/demo
rm -rf "$demo"
"$tavisko" samples "$demo"
"$tavisko" check "$demo/Site Data"/*.vxl || true  # some samples are refused on purpose
source="$demo/Site Data/Pumping Test MW-3.vxl"
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  registry="$demo/settings"
  mkdir -p "$registry"
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark]\r\n"WorkingDir"="%s"\r\n' \
    "$(cd "$demo" && pwd)" > "$registry/HKEY_CURRENT_USER.reg"
  TAVISKO_REGISTRY_DIR="$registry" "$tavisko" wizard
  ls "$demo/Site Data/Post Corrected Files" 2>/dev/null || true
else
  corrected=$("$tavisko" correct --quiet "$source" --mode pressure-head --sg fresh)
  "$tavisko" info "$corrected"
  # The wizard's pages for the same log, as it would show them (this writes a second corrected copy;
  # corrected names carry the second, and an existing file is never replaced).
  sleep 1
  QT_QPA_PLATFORM=offscreen "$build/wizard_screens" "$source" "$demo/screens" \
    2> >(grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints >&2)
  echo "wizard pages: $demo/screens/"
  ls "$demo/screens"
fi
echo "tavisko is $(cd "$(dirname "$tavisko")" && pwd)/$(basename "$tavisko"); \`cmake --install $build\` puts it on the path"
echo "(in /usr/local/bin, the plug-in in /usr/local/lib; --prefix DIR installs elsewhere)"
