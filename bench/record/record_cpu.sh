#!/usr/bin/env bash
# CPU of calvex-record against the panel while both poll a 1 Hz instrument (calvex-sim) for the
# same time. Usage: bench/record/record_cpu.sh [SECONDS] (default 60); needs a built tree.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-60}"
build=build
tick=$(getconf CLK_TCK)

cpu_of() {  # utime + stime of a process, in clock ticks
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

run() {  # run NAME COMMAND...: start the command on its own simulator, report its CPU after $seconds
    local name=$1; shift
    local link="${TMPDIR:-/tmp}/calvex-bench-$name-$$"
    "$build/sim/calvex-sim" --link "$link" --period 1000 </dev/null >/dev/null 2>&1 &
    local sim=$!
    for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
    "$@" "$link" >/dev/null 2>&1 &
    local pid=$!
    sleep 2  # past start-up
    local before; before=$(cpu_of "$pid")
    sleep "$seconds"
    local after; after=$(cpu_of "$pid")
    kill "$pid" "$sim" 2>/dev/null || true
    wait "$pid" "$sim" 2>/dev/null || true
    echo "$(( after - before ))"
}

out="${TMPDIR:-/tmp}/calvex-bench-$$.txt"
record=$(run record "$build/src/record/calvex-record" --quiet --every 1 --output "$out" --port)
rm -f "$out"

# The panel, on the offscreen platform, reports its own CPU over the same time.
link="${TMPDIR:-/tmp}/calvex-bench-panel-$$"
"$build/sim/calvex-sim" --link "$link" --period 1000 </dev/null >/dev/null 2>&1 &
sim=$!
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
panel=$(QT_QPA_PLATFORM=offscreen "$build/bench/record/bench_panel_poll" "$link" "$seconds")
kill "$sim" 2>/dev/null || true
wait "$sim" 2>/dev/null || true

awk -v r="$record" -v p="$panel" -v s="$seconds" -v t="$tick" 'BEGIN {
    r = r / t
    printf "calvex-record: %.2f s CPU in %d s (%.3f %% of a core)\n", r, s, 100 * r / s
    printf "calvex panel:  %.2f s CPU in %d s (%.3f %% of a core)\n", p, s, 100 * p / s
    if (p > 0) printf "ratio record/panel: %.2f\n", r / p
}'
