#!/usr/bin/env bash
# Times calvex-plot drawing whole dual-input recordings of 58,300 lines (the recording limit of the
# program) and of 604,800 lines (a week at 1 s, as calvex-record writes them) to PNG and to SVG at
# the default size, and prints each run's time and peak memory and the ratio of the two lengths.
# Then a week as seven daily files of 86,400 records each (oven-2026-12-10.txt to -16.txt, given
# last day first), drawn in the report style at 1920x1080 to PNG, against gnuplot drawing the same
# picture (the seven files on one dated time axis, three curves, title, axis titles, legend) from
# the same files in the same run.
# Usage: bench/plotcli/plot_time.sh [CALVEX-PLOT] [RUNS]   (default build/src/plotcli/calvex-plot, 3)
# gnuplot comes from Debian: apt-get install gnuplot-nox
set -euo pipefail
cd "$(dirname "$0")/../.."
program="${1:-build/src/plotcli/calvex-plot}"
runs="${2:-3}"
[ -x "$program" ] || { echo "plot_time: no $program; build the calvex-plot target first" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "plot_time: needs /usr/bin/time (apt-get install time)" >&2; exit 1; }
command -v gnuplot >/dev/null || { echo "plot_time: needs gnuplot (apt-get install gnuplot-nox)" >&2; exit 1; }

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

# Best wall time (seconds) and largest peak RSS (MiB) of `runs` runs of a command.
measure_command() {
    local best="" peak=0 log="$work/time.log"
    for _ in $(seq "$runs"); do
        env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/time -v "$@" 2>"$log" >/dev/null ||
            { cat "$log" >&2; exit 1; }
        local wall rss
        wall="$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$log")"
        rss="$(awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$log")"
        if [ -z "$best" ] || awk -v a="$wall" -v b="$best" 'BEGIN { exit !(a < b) }'; then best="$wall"; fi
        if awk -v a="$rss" -v b="$peak" 'BEGIN { exit !(a > b) }'; then peak="$rss"; fi
    done
    echo "$best $peak"
}

# calvex-plot drawing a file to a picture.
measure() {
    measure_command "$program" "$1" --output "$2"
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

# A week as seven daily files, as a time-sliced recording names them.
days=(10 11 12 13 14 15 16)
for d in "${days[@]}"; do
    awk -v n=86400 -v d="$d" 'BEGIN {
        for (i = 1; i <= n; i++) {
            s = i - 1; k = i + (d - 10) * 86400
            t1 = 150 + 180 * sin(k / 9000); t2 = 60 + 90 * sin(k / 13000)
            printf "%d\t%02d:%02d:%02d\t%.1f\t%.1f\t%.1f\tC\r\n", i, int(s / 3600), int(s / 60) % 60, s % 60, t1, t2, t1 - t2
        }
    }' >"$work/oven-2026-12-$d.txt"
done
week=()
for ((k = ${#days[@]} - 1; k >= 0; k--)); do week+=("$work/oven-2026-12-${days[k]}.txt"); done

# gnuplot's picture of the same: each file's times on its day, the title, the axis titles and
# the legend, the temperature axis fitted to the readings on round ticks (gnuplot's autoscale, as
# calvex-plot's --fit).
{
    echo "set terminal pngcairo size 1920,1080"
    echo "set output '$work/week-gnuplot.png'"
    echo "set datafile separator '\t'"
    echo "set xdata time; set timefmt '%s'; set format x \"%H:%M\\n%Y-%m-%d\""
    echo "set title 'oven-2026-12-10.txt ... oven-2026-12-16.txt (7 files), 2026-12-10 00:00:00 to 2026-12-16 23:59:59'"
    echo "set xlabel 'Time'; set ylabel 'Temperature (°C)'; set autoscale y; set grid"
    echo "set key top right"
    plot="plot"
    for d in "${days[@]}"; do
        base=$(date -u -d "2026-12-$d" +%s)
        t="(timecolumn(2, '%H:%M:%S') + $base)"
        [ "$d" = 10 ] && titles=(T1 T2 T1-T2) || titles=("" "" "")
        for c in 3 4 5; do
            color=(black blue red); k=$((c - 3))
            title="notitle"; [ -n "${titles[k]}" ] && title="title '${titles[k]}'"
            plot+=" '$work/oven-2026-12-$d.txt' using $t:$c with lines lc rgb '${color[k]}' $title,"
        done
    done
    echo "${plot%,}"
} >"$work/week.gp"

echo
printf '%-44s %10s %10s\n' "a week in seven daily files, 1920x1080 PNG" seconds "peak MiB"
read -r wall rss < <(measure_command "$program" "${week[@]}" --output "$work/week.png" --size 1920x1080 --style report --fit)
printf '%-44s %10.2f %10.1f\n' "calvex-plot --style report --fit" "$wall" "$rss"
calvex_week="$wall"
read -r wall rss < <(measure_command gnuplot "$work/week.gp")
printf '%-44s %10.2f %10.1f\n' "gnuplot (pngcairo)" "$wall" "$rss"
awk -v a="$calvex_week" -v b="$wall" 'BEGIN { printf "calvex-plot takes %.2f times gnuplot'"'"'s time\n", a / b }'
