#!/usr/bin/env bash
# Times `tavisko correct` on a large 4-channel log beside a plain `cp` of the same file, and reports the
# medians, the correction's processor time and its peak resident memory. The correction flushes its
# output to disk before linking it into place; `cp` does not, so a copy followed by `sync` of the copy
# is timed as well, and is the figure to compare with. Needs only the build (bench/measure) and awk.
# Usage: bench/correct_vs_cp.sh [BUILD_DIR] [REPETITIONS] [ROWS] [-- CORRECT OPTIONS...]
#   TAVISKO=path/to/tavisko times another build of the command.
set -euo pipefail
build="${1:-build/default}"
reps="${2:-5}"
rows="${3:-1000000}"
shift $(($# < 3 ? $# : 3))
[ "${1:-}" = "--" ] && shift
options=("$@")
((${#options[@]})) || options=(--mode pressure-head)
tavisko="${TAVISKO:-$build/tavisko}"
measure="$build/bench/measure"
work=$(mktemp -d "${TMPDIR:-/tmp}/correct_vs_cp.XXXXXX")
trap 'rm -rf "$work"' EXIT

"$build/bench/make_large_log" "$work/large.vxl" "$rows"
size=$(stat -c %s "$work/large.vxl")
cat "$work/large.vxl" >/dev/null  # both start from the page cache

# Field N of a result line: 1 wall, 2 user, 3 system (seconds), 4 peak (KiB).
field() { awk -v n="$2" '{print $n}' "$1"; }
median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

cp_times=() cp_sync_times=() correct_times=() cpu_times=() peaks=()
for ((i = 0; i < reps; i++)); do
  "$measure" "$work/t" cp "$work/large.vxl" "$work/copy.vxl"
  cp_times+=("$(field "$work/t" 1)")
  rm -f "$work/copy.vxl"
  # The same copy made as durable as the correction makes its output.
  "$measure" "$work/t" cp "$work/large.vxl" "$work/copy.vxl"
  "$measure" "$work/s" sync "$work/copy.vxl"
  cp_sync_times+=("$(awk '{w += $1} END {print w}' "$work/t" "$work/s")")
  rm -f "$work/copy.vxl"

  rm -rf "$work/out"
  "$measure" "$work/t" "$tavisko" correct "$work/large.vxl" "${options[@]}" --output-dir "$work/out" >/dev/null
  correct_times+=("$(field "$work/t" 1)")
  cpu_times+=("$(awk '{print $2 + $3}' "$work/t")")
  peaks+=("$(field "$work/t" 4)")
  rm -rf "$work/out"
done

cp_median=$(printf '%s\n' "${cp_times[@]}" | median)
cp_sync_median=$(printf '%s\n' "${cp_sync_times[@]}" | median)
correct_median=$(printf '%s\n' "${correct_times[@]}" | median)
cpu_median=$(printf '%s\n' "${cpu_times[@]}" | median)
peak_median=$(printf '%s\n' "${peaks[@]}" | median)
awk -v size="$size" -v rows="$rows" -v cp="$cp_median" -v cps="$cp_sync_median" -v c="$cp_median" \
    -v cor="$correct_median" -v cpu="$cpu_median" -v peak="$peak_median" 'BEGIN {
  printf "rows                 %d (%d bytes)\n", rows, size
  printf "cp median            %.3f s\n", cp
  printf "cp + sync median     %.3f s\n", cps
  printf "correct median       %.3f s  (%.2fx cp, %.2fx cp + sync)\n", cor, cor / cp, cor / cps
  printf "correct cpu median   %.3f s  (user + system)\n", cpu
  printf "correct peak RSS     %.1f MiB  (%.2fx the file)\n", peak / 1024, peak * 1024 / size
}'
