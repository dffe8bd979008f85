#!/usr/bin/env bash
# The Windows program corrects the sample logs under Wine; its outputs must hold the same bytes as
# the Linux program's, apart from the time keys (bytes that also change between two Linux runs a
# second apart, give or take the rest of an 8-byte value) and the computer name's letter case
# (Windows keeps it in capitals). The Linux program runs under the name tavisko.exe, which the logs
# record as the program's name.
#   scripts/compare_windows_outputs.sh [build/windows] [build/default]
set -euo pipefail
cd "$(dirname "$0")/.."
windows="${1:-build/windows}"
linux="${2:-build/default}"
if [ ! -x "$linux/tavisko" ]; then
  cmake --preset default >/dev/null
  cmake --build --preset default --target tavisko >/dev/null
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/samples" "$work/linux1" "$work/windows" "$work/linux2"
cp "$linux/tavisko" "$work/bin/tavisko.exe"
"$linux/tavisko" samples "$work/samples" >/dev/null
for run in linux1 windows linux2; do cp "$work/samples/Site Data/"*.vxl "$work/$run/"; done

# Each run in its own second, so that the time keys differ between the two Linux runs.
correct() {
  local run="$1"
  shift
  sleep 1.1
  local status=0
  (cd "$work/$run" && "$@" correct --quiet *.vxl >stdout.txt 2>stderr.txt) || status=$?
  echo "$status" >"$work/$run/status.txt"
}
correct linux1 "$work/bin/tavisko.exe"
correct windows "$PWD/scripts/wine.sh" "$PWD/$windows/tavisko.exe"
correct linux2 "$work/bin/tavisko.exe"

failed=0
for name in status.txt stderr.txt; do
  if ! cmp -s "$work/linux1/$name" "$work/windows/$name"; then
    echo "compare_windows_outputs: $name differs" >&2
    diff "$work/linux1/$name" "$work/windows/$name" >&2 || true
    failed=1
  fi
done
# Output names carry the time; the logs they come from are the same.
stems() { sed -e 's/_Tavisko_[0-9_]*\.vxl$//' -e 's/\\/\//g' "$1"; }
if [ "$(stems "$work/linux1/stdout.txt")" != "$(stems "$work/windows/stdout.txt")" ]; then
  echo "compare_windows_outputs: the corrected files differ" >&2
  diff <(stems "$work/linux1/stdout.txt") <(stems "$work/windows/stdout.txt") >&2 || true
  failed=1
fi

count=0
while IFS= read -r line; do
  stem="$(basename "$(printf '%s' "$line" | sed 's/\\/\//g')" | sed 's/_Tavisko_[0-9_]*\.vxl$//')"
  a=("$work/linux1/Post Corrected Files/$stem"_Tavisko_*.vxl)
  w=("$work/windows/Post Corrected Files/$stem"_Tavisko_*.vxl)
  b=("$work/linux2/Post Corrected Files/$stem"_Tavisko_*.vxl)
  if [ ! -f "${a[0]}" ] || [ ! -f "${w[0]}" ] || [ ! -f "${b[0]}" ]; then
    echo "compare_windows_outputs: $stem: an output is missing" >&2
    failed=1
    continue
  fi
  if [ "$(stat -c %s "${a[0]}")" != "$(stat -c %s "${w[0]}")" ]; then
    echo "compare_windows_outputs: $stem: sizes differ" >&2
    failed=1
    continue
  fi
  # cmp -l: offset and the two bytes in octal; offsets that change with the clock come first.
  if ! awk -v stem="$stem" '
      FNR == 1 { file++ }
      file == 1 { clock[$1] = 1; next }
      {
        a = $2 + 0; w = $3 + 0
        # octal to decimal
        a = int(a / 100) * 64 + int((a % 100) / 10) * 8 + a % 10
        w = int(w / 100) * 64 + int((w % 100) / 10) * 8 + w % 10
        if ((a >= 97 && a <= 122 && w == a - 32) || (w >= 97 && w <= 122 && a == w - 32)) next
        near = 0
        for (d = -7; d <= 7; d++) if (($1 + d) in clock) near = 1
        if (!near) { printf "compare_windows_outputs: %s: byte %d differs (%d, %d)\n", stem, $1 - 1, a, w; bad = 1 }
      }
      END { exit bad }' <(cmp -l "${a[0]}" "${b[0]}" || true) <(cmp -l "${a[0]}" "${w[0]}" || true) >&2; then
    failed=1
  fi
  count=$((count + 1))
done <"$work/linux1/stdout.txt"

if [ "$count" -eq 0 ]; then
  echo "compare_windows_outputs: no corrected logs to compare" >&2
  failed=1
fi
[ "$failed" -eq 0 ] && echo "compare_windows_outputs: $count corrected logs match the Linux program's"
exit "$failed"
