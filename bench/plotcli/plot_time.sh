#!/usr/bin/env bash
# Times calvex-plot drawing whole dual-input recordings of 58,300 lines (the recording limit of the
# program) and of 604,800 lines (a week at 1 s, as calvex-record writes them) to PNG and to SVG at
# the default size, and prints each run's time and peak memory and the ratio of the two lengths.
# Usage: bench/plotcli/plot_time.sh [CALVEX-PLOT] [RUNS]   (default build/src/plotcli/calvex-plot, 3)
set -euo pipefail
cd "$(dirname "$0")/../.."
program="${1:-build/src/plotcli/calvex-plot}"
runs="${2:-3}"
[ -x "$program" ] || { echo "plot_time: no $program; build the calvex-plot target first" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "plot_time: needs /usr/bin/time (apt-get install time)" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/calvex-plot-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# A recording as the program writes it: the number, the time a second apart, T1, T2, T1-T2, unit.
recording() {
    awk -v n="$1" 'BEGIN {
        for (i = 1; i <= n; i++) {
            s = (36000 + i) % 86400
            t1 = 150 + 180 * sin(i / 900); t2 = 60 + 90 * sin(i / 1300)
            printf "%d\t%02d:%02d:%02d\t%.1f\t%.1f\t%.1f\tC\r\n", i, int(s / 3600), int(s / 60) % 60, s % 60, t1, t2, t1 - t2
        }
    }' >"$2"
}

# Best wall time (seconds) and largest peak RSS (MiB) of `runs` runs.
measure() {
    local best="" peak=0 log="$work/time.log"
    for _ in $(seq "$runs"); do
        env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/time -v "$program" "$1" --output "$2" 2>"$log" >/dev/null ||
            { cat "$log" >&2; exit 1; }
        local wall rss
        wall="$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$log")"
        rss="$(awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$log")"
        if [ -z "$best" ] || awk -v a="$wall" -v b="$best" 'BEGIN { exit !(a < b) }'; then best="$wall"; fi
        if awk -v a="$rss" -v b="$peak" 'BEGIN { exit !(a > b) }'; then peak="$rss"; fi
    done
    echo "$best $peak"
}

declare -A seconds
printf '%-8s %-7s %10s %10s %12s\n' records format seconds "peak MiB" "file KiB"
for n in 58300 604800; do
    recording "$n" "$work/rec$n.txt"
    for format in png svg; do
        read -r wall rss < <(measure "$work/rec$n.txt" "$work/plot$n.$format")
        seconds[$n.$format]="$wall"
        printf '%-8s %-7s %10.2f %10.1f %12d\n' "$n" "$format" "$wall" "$rss" "$(( $(stat -c %s "$work/plot$n.$format") / 1024 ))"
    done
done
for format in png svg; do
    awk -v f="$format" -v a="${seconds[58300.$format]}" -v b="${seconds[604800.$format]}" \
        'BEGIN { printf "%s: 604,800 / 58,300 records = %.2f times the time (%.2f times the records)\n", f, b / a, 604800 / 58300 }'
done
