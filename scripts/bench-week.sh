#!/usr/bin/env bash
# The data benchmarks at the real-time list's limit (58,300 records) and at a week of records
# (604,800), each with the week's figure divided by the list's: opening a data file into its file
# list, saving a list, the stored-data plot's full redraw at 1920x1080 and a list's memory (run
# offscreen, one process per memory figure). Then "Open" (and the plot of the opened list) through
# the real windows under a virtual X server, measured as whole processes: wall, CPU, peak memory;
# and the print of the opened 58,300 rows to a PDF through the list window there.
#
# Usage: scripts/bench-week.sh [BUILD_DIR] (default build); the bench targets must be built:
#   cmake --build --preset default --target bench_files bench_lists bench_plot bench_open_window
# The X part needs xvfb-run (Debian package xvfb) and /usr/bin/time (package time); without them it
# says how to install them and is left out.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
bench="$build/bench"
for b in files/bench_files lists/bench_lists plot/bench_plot files/bench_open_window; do
    [ -x "$bench/$b" ] || { echo "bench-week: $bench/$b is not built" >&2; exit 1; }
done
work="$(mktemp -d "${TMPDIR:-/tmp}/calvex-bench-week.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# run BINARY FILTER: the CSV header and lines of the benchmarks matching FILTER.
run() {
    QT_QPA_PLATFORM=offscreen "$1" --benchmark_filter="$2" --benchmark_format=csv 2>/dev/null | grep -E '^(name,|")'
}

# ratios COLUMN UNIT: for CSV lines on stdin named NAME/records:N, one line per NAME with the
# figure in COLUMN (a column name of the CSV header) at both sizes and the week's over the list's.
ratios() {
    awk -F, -v want="$1" -v unit="$2" '
        /^name,/ { if (!header++) for (i = 1; i <= NF; ++i) { h = $i; gsub(/"/, "", h); col[h] = i }; next }
        /^"/ {
            name = $1; gsub(/"/, "", name)
            n = split(name, part, "/records:")
            if (n != 2) next
            sub(/\/.*/, "", part[2])
            value[part[1], part[2]] = $col[want]
            if (!(part[1] in seen)) { seen[part[1]] = 1; order[++count] = part[1] }
        }
        END {
            for (k = 1; k <= count; ++k) {
                b = order[k]; small = value[b, 58300]; large = value[b, 604800]
                printf "%-24s %10.1f %s at 58300 %10.1f %s at 604800   ratio %5.1f\n", b, small, unit, large, unit,
                    (small > 0 ? large / small : 0)
            }
        }'
}

echo "== offscreen, CPU time per run (records 604800 / 58300 = 10.4)"
# One run per benchmark: the CSV output takes only benchmarks of the same counters.
for b in BM_OpenDataFile BM_SaveGridToFile; do
    run "$bench/files/bench_files" "$b/" | ratios cpu_time ms
done
for b in BM_RedrawFast BM_WindowRedraw BM_WalkOnly; do
    run "$bench/plot/bench_plot" "$b/" | ratios cpu_time ms
done

echo "== offscreen, a data list's memory (one process per size)"
{
    for records in 58300 604800; do
        run "$bench/lists/bench_lists" "BM_ListMemory/records:$records/"
    done
} >"$work/memory.csv"
for counter in heap_MB rss_MB; do
    ratios "$counter" MB <"$work/memory.csv" | sed "s/^BM_ListMemory/BM_ListMemory $counter/"
done

echo "== the print of 58300 rows to a PDF (offscreen)"
run "$bench/files/bench_files" 'BM_PrintDualList58300ToPdf' |
    awk -F, '/^"/ { name = $1; gsub(/"/, "", name); printf "%-32s %8.0f ms CPU %8.0f ms wall\n", name, $4, $3 }'

echo "== \"Open\" and the plot through the real windows, under a virtual X server"
if ! command -v xvfb-run >/dev/null || [ ! -x /usr/bin/time ]; then
    echo "left out: needs xvfb-run and /usr/bin/time (as root: apt-get install xvfb xauth time)"
    exit 0
fi
declare -A wall cpu rss
for records in 58300 604800; do
    file="$work/dual-$records.txt"
    "$bench/files/bench_open_window" write "$records" "$file"
    xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb \
        /usr/bin/time -v "$bench/files/bench_open_window" open "$file" plot >"$work/x-$records.txt" 2>&1 || {
        cat "$work/x-$records.txt" >&2
        exit 1
    }
    grep -E '^(open|plot|print):' "$work/x-$records.txt" | sed "s/^/$records records, /"
    wall[$records]=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0
        for (i = 1; i <= n; ++i) s = s * 60 + t[i]; print s }' "$work/x-$records.txt")
    cpu[$records]=$(awk -F': ' '/User time/ { u = $2 } /System time/ { s = $2 } END { print u + s }' "$work/x-$records.txt")
    rss[$records]=$(awk -F': ' '/Maximum resident/ { print $2 / 1024 }' "$work/x-$records.txt")
    printf '%s records, whole process: %.2f s wall, %.2f s CPU, %.0f MB peak\n' \
        "$records" "${wall[$records]}" "${cpu[$records]}" "${rss[$records]}"
done
for step in open plot; do
    awk -v step="$step" '$1 == step":" { cpu[FILENAME] = $5 } END {
        a = cpu[ARGV[1]]; b = cpu[ARGV[2]]
        printf "%s step, CPU: %.0f ms at 58300, %.0f ms at 604800, ratio %.1f\n", step, a, b, (a > 0 ? b / a : 0)
    }' "$work/x-58300.txt" "$work/x-604800.txt"
done
awk -v w1="${wall[58300]}" -v w2="${wall[604800]}" -v c1="${cpu[58300]}" -v c2="${cpu[604800]}" \
    -v r1="${rss[58300]}" -v r2="${rss[604800]}" 'BEGIN {
    printf "ratio 604800/58300, whole process: wall %.1f, CPU %.1f, peak memory %.1f\n", w2 / w1, c2 / c1, r2 / r1
}'
xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb \
    "$bench/files/bench_open_window" open "$work/dual-58300.txt" print 2>/dev/null | grep -E '^(print|pdf)' |
    sed 's/^/58300 records, through the list window: /'
