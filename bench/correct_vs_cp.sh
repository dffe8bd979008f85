#!/usr/bin/env bash
# Times `tavisko correct` on a 1,000,000-row, 4-channel log beside a plain `cp` of the same file, in one
# run, and reports the medians, the correction's processor time and its peak resident memory. The
# correction flushes its output to disk before linking it into place; `cp` does not, so a copy followed
# by `sync` of the copy is timed as well.
# Usage: bench/correct_vs_cp.sh [BUILD_DIR] [REPETITIONS]
set -euo pipefail
build="${1:-build/default}"
reps="${2:-5}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bench/make_large_log" "$work/large.vxl" 1000000
size=$(stat -c %s "$work/large.vxl")
cat "$work/large.vxl" >/dev/null  # both start from the page cache

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
now() { date +%s.%N; }

cp_times=() cp_sync_times=() correct_times=() cpu_times=() peaks=()
for ((i = 0; i < reps; i++)); do
  start=$(now); cp "$work/large.vxl" "$work/copy.vxl"; end=$(now)
  cp_times+=("$(echo "$end - $start" | bc)")
  rm -f "$work/copy.vxl"
  # The same copy made as durable as the correction makes its output.
  start=$(now); cp "$work/large.vxl" "$work/copy.vxl"; sync "$work/copy.vxl"; end=$(now)
  cp_sync_times+=("$(echo "$end - $start" | bc)")
  rm -f "$work/copy.vxl"

  rm -rf "$work/out"
  start=$(now)
  read -r peak user sys < <( { /usr/bin/time -f "%M %U %S" "$build/tavisko" correct "$work/large.vxl" \
            --mode pressure-head --output-dir "$work/out" >/dev/null; } 2>&1 | tail -n 1)
  end=$(now)
  correct_times+=("$(echo "$end - $start" | bc)")
  cpu_times+=("$(echo "$user + $sys" | bc)")
  peaks+=("$peak")
done

cp_median=$(printf '%s\n' "${cp_times[@]}" | median)
cp_sync_median=$(printf '%s\n' "${cp_sync_times[@]}" | median)
correct_median=$(printf '%s\n' "${correct_times[@]}" | median)
cpu_median=$(printf '%s\n' "${cpu_times[@]}" | median)
peak_median=$(printf '%s\n' "${peaks[@]}" | median)
printf 'file size            %d bytes\n' "$size"
printf 'cp median            %.3f s\n' "$cp_median"
printf 'cp + sync median     %.3f s\n' "$cp_sync_median"
printf 'correct median       %.3f s  (%.1fx cp, %.1fx cp + sync)\n' "$correct_median" \
  "$(echo "$correct_median / $cp_median" | bc -l)" "$(echo "$correct_median / $cp_sync_median" | bc -l)"
printf 'correct cpu median   %.3f s  (user + system, 10 ms resolution)\n' "$cpu_median"
printf 'correct peak RSS     %d KiB  (%.2fx the file)\n' "$peak_median" "$(echo "$peak_median * 1024 / $size" | bc -l)"
