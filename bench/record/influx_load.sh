#!/usr/bin/env bash
# Load of calvex-record --influx: N recorders, each on its own simulated instrument, send to one
# InfluxDB 1.x started here on loopback ports. For each N it reports the recorders' CPU as a share
# of one core, the largest resident size of one recorder, lines in the files against points in the
# database, and how long a sample takes from its second to being queryable.
#
# Usage: bench/record/influx_load.sh [N...] [--seconds S] [--keep]   (defaults: 1 10 50, 300 s)
# Needs a built tree (calvex-record, calvex-sim), influxd (Debian's influxdb), curl and awk.
# --keep leaves each run's folder (files, spools, every recorder's stderr) and prints its path.
set -euo pipefail
export LC_ALL=C  # a dot in $EPOCHREALTIME and in awk's numbers
cd "$(dirname "$0")/../.."

record=build/src/record/calvex-record
sim=build/sim/calvex-sim
seconds=300
keep=0
counts=()
while [ $# -gt 0 ]; do
    case $1 in
        --seconds) seconds=${2:?--seconds needs a value}; shift 2 ;;
        --keep) keep=1; shift ;;
        -h|--help) sed -n '2,9p' "$0"; exit 0 ;;
        *[!0-9]*|'') echo "influx_load.sh: not a count: $1" >&2; exit 2 ;;
        *) counts+=("$1"); shift ;;
    esac
done
[ ${#counts[@]} -gt 0 ] || counts=(1 10 50)
case $seconds in *[!0-9]*|'') echo "influx_load.sh: not a number of seconds: $seconds" >&2; exit 2 ;; esac
for exe in "$record" "$sim"; do
    [ -x "$exe" ] || { echo "influx_load.sh: $exe is not built" >&2; exit 1; }
done
command -v influxd >/dev/null || { echo "influx_load.sh: influxd not found (Debian's influxdb)" >&2; exit 1; }

tick=$(getconf CLK_TCK)
poll_pause=0.15  # between the delay queries; the resolution is this plus the query's own time

# What the current run started, so that an interrupted run leaves nothing behind.
recorders=()
sims=()
influx_pid=
poller_pid=
sleeper=
tmp=

pause() {  # sleep that a signal ends at once (bash runs a trap only between commands)
    sleep "$1" &
    sleeper=$!
    wait "$sleeper" || true
    sleeper=
}

now_ms() { local t=${EPOCHREALTIME/./}; echo "${t:0:-3}"; }

stopped() {  # the process has ended (a zombie until it is waited for, or gone)
    local state
    state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 0
    [ "$state" = Z ]
}

cleanup() {
    local pid
    [ -n "$tmp" ] && touch "$tmp/stop" 2>/dev/null
    for pid in ${sleeper:+"$sleeper"} ${poller_pid:+"$poller_pid"} ${recorders[@]+"${recorders[@]}"} \
               ${sims[@]+"${sims[@]}"} ${influx_pid:+"$influx_pid"}; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    for pid in ${sleeper:+"$sleeper"} ${poller_pid:+"$poller_pid"} ${recorders[@]+"${recorders[@]}"} \
               ${sims[@]+"${sims[@]}"} ${influx_pid:+"$influx_pid"}; do
        wait "$pid" 2>/dev/null || true
    done
    recorders=(); sims=(); influx_pid=; poller_pid=
    if [ -n "$tmp" ] && [ "$keep" = 0 ]; then rm -rf "$tmp"; fi
    tmp=
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

free_port() {  # a loopback port nothing uses now, and not the one given
    local port
    while :; do
        port=$((20000 + RANDOM % 40000))
        [ "$port" != "${1:-}" ] || continue
        ss -Htan "( sport = :$port )" | grep -q . || { echo "$port"; return; }
    done
}

query() {  # query DB QUERY [curl options]: InfluxQL's answer as CSV
    local db=$1 q=$2; shift 2
    curl -sS -m 5 -G "http://127.0.0.1:$port/query" -H 'Accept: application/csv' \
         --data-urlencode "db=$db" --data-urlencode "q=$q" "$@"
}

start_influx() {
    port=$(free_port)
    local rpc; rpc=$(free_port "$port")
    mkdir -p "$tmp/influx"
    cat >"$tmp/influx/influxdb.conf" <<EOF
reporting-disabled = true
bind-address = "127.0.0.1:$rpc"
[meta]
  dir = "$tmp/influx/meta"
[data]
  dir = "$tmp/influx/data"
  wal-dir = "$tmp/influx/wal"
  query-log-enabled = false
[monitor]
  store-enabled = false
[http]
  bind-address = "127.0.0.1:$port"
  auth-enabled = false
  log-enabled = false
[ifql]
  enabled = false
[logging]
  level = "error"
  suppress-logo = true
EOF
    influxd run -config "$tmp/influx/influxdb.conf" >"$tmp/influx/influxd.log" 2>&1 &
    influx_pid=$!
    local _
    for _ in $(seq 100); do
        curl -s -m 1 -o /dev/null "http://127.0.0.1:$port/ping" && break
        stopped "$influx_pid" && break
        sleep 0.1
    done
    if ! curl -s -m 1 -o /dev/null "http://127.0.0.1:$port/ping"; then
        echo "influx_load.sh: influxd did not start on port $port:" >&2
        cat "$tmp/influx/influxd.log" >&2
        exit 1
    fi
    curl -sS -m 5 -o /dev/null -XPOST "http://127.0.0.1:$port/query" \
         --data-urlencode 'q=CREATE DATABASE lab'
}

poll() {  # every point of the last 10 s, then "@ <ms>" when the answer was in, until $tmp/stop
    while [ ! -e "$tmp/stop" ]; do
        query lab 'SELECT t1_state FROM calvex WHERE time > now() - 10s GROUP BY instrument' \
              --data-urlencode epoch=ms >>"$tmp/poll.csv" 2>>"$tmp/poll.err" || true
        echo "@ $(now_ms)" >>"$tmp/poll.csv"
        sleep "$poll_pause"
    done
}

run() {  # run N: one line of figures for N recorders
    local n=$1 k pid
    tmp=$(mktemp -d "${TMPDIR:-/tmp}/calvex-influx-load.XXXXXX")
    mkdir -p "$tmp/spool"
    echo "-- N=$n, $seconds s; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"

    start_influx

    for k in $(seq "$n"); do
        "$sim" --link "$tmp/s$k" --seed "$k" </dev/null >"$tmp/s$k.out" 2>"$tmp/s$k.err" &
        sims+=($!)
    done
    for k in $(seq "$n"); do
        local _
        for _ in $(seq 100); do [ -e "$tmp/s$k" ] && break; sleep 0.1; done
        [ -e "$tmp/s$k" ] || { echo "influx_load.sh: simulator $k made no link:" >&2; cat "$tmp/s$k.err" >&2; exit 1; }
    done

    poll &
    poller_pid=$!

    local url="http://127.0.0.1:$port/write?db=lab&precision=s"
    for k in $(seq "$n"); do
        "$record" --port "$tmp/s$k" --every 1 --quiet --output "$tmp/i$k.txt" --influx "$url" \
                  --name "i$k" --spool "$tmp/spool" </dev/null >/dev/null 2>"$tmp/i$k.err" &
        recorders+=($!)
    done
    # A second reading once start-up is over gives the steady share apart from the start-up cost.
    local settle=$((seconds / 3 < 10 ? seconds / 3 : 10))
    pause "$settle"
    local warm_up warm_ticks
    warm_up=$(cut -d' ' -f1 /proc/uptime)
    warm_ticks=$(cat $(printf "/proc/%s/stat " "${recorders[@]}") 2>/dev/null | awk '{ s += $14 + $15 } END { print s + 0 }')
    pause "$((seconds - settle))"

    # CPU and resident size just before the end; each recorder's own running time from its start.
    local up; up=$(cut -d' ' -f1 /proc/uptime)
    local figures=() rc=0
    for pid in "${recorders[@]}"; do
        if stopped "$pid"; then
            echo "influx_load.sh: a recorder ($pid) ended early, see its stderr" >&2
            rc=1
            continue
        fi
        figures+=("$(awk -v up="$up" -v tick="$tick" '{ print ($14 + $15) / tick, up - $22 / tick }' "/proc/$pid/stat") \
$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status")")
    done
    local steady
    steady=$(cat $(printf "/proc/%s/stat " "${recorders[@]}") 2>/dev/null |
             awk -v w="$warm_ticks" -v t0="$warm_up" -v up="$up" -v tick="$tick" '{ s += $14 + $15 } END { printf "%.1f", 100 * (s - w) / tick / (up - t0) }')
    local influx_cpu
    influx_cpu=$(awk -v up="$up" -v tick="$tick" '{ printf "%.1f", 100 * ($14 + $15) / tick / (up - $22 / tick) }' "/proc/$influx_pid/stat")

    touch "$tmp/stop"
    wait "$poller_pid" 2>/dev/null || true
    poller_pid=

    # SIGTERM: each sends what is pending for up to 5 s; a recorder still there after 20 s is killed.
    local t0; t0=$(now_ms)
    kill -TERM "${recorders[@]}" 2>/dev/null || true
    local deadline=$((t0 + 20000)) all
    while :; do
        all=1
        for pid in "${recorders[@]}"; do stopped "$pid" || { all=0; break; }; done
        [ "$all" = 1 ] && break
        if [ "$(now_ms)" -gt "$deadline" ]; then
            for pid in "${recorders[@]}"; do stopped "$pid" || { echo "influx_load.sh: recorder $pid killed" >&2; kill -KILL "$pid"; }; done
            break
        fi
        sleep 0.05
    done
    local stop_ms=$(($(now_ms) - t0)) codes=()
    for pid in "${recorders[@]}"; do
        local code=0
        wait "$pid" || code=$?
        codes+=("$code")
    done
    recorders=()

    local lines points
    lines=$(cat "$tmp"/i*.txt | wc -l)
    points=$(query lab 'SELECT count(t1_state) FROM calvex GROUP BY instrument' |
             awk -F, 'NR > 1 { s += $NF } END { print s + 0 }')

    for pid in "${sims[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
    for pid in "${sims[@]}"; do wait "$pid" 2>/dev/null || true; done
    sims=()
    kill -TERM "$influx_pid"; wait "$influx_pid" 2>/dev/null || true
    influx_pid=

    # The delay: the first answer that held each (instrument, second) against that second.
    awk -F, -v out="$tmp/delays" -v gaps="$tmp/gaps" '
        /^@ / { at = substr($0, 3)
                  for (key in pending) if (!(key in seen)) { seen[key] = 1; split(key, p, SUBSEP); print at - p[2] > out }
                  delete pending
                  if (last) print at - last > gaps
                  last = at; next }
        $1 == "calvex" { pending[$2, $3] = 1 }
    ' "$tmp/poll.csv"
    touch "$tmp/delays" "$tmp/gaps"
    local delay
    delay=$(sort -n "$tmp/delays" | awk '{ d[NR] = $1 } END {
                if (NR == 0) { print "none seen"; exit }
                m = d[int((NR + 1) / 2)]; i = int(0.99 * NR); if (i < 0.99 * NR) i++
                printf "delay median %d ms  p99 %d ms", m, d[i] }')
    local timed poll_ms
    timed=$(wc -l <"$tmp/delays")
    poll_ms=$(sort -n "$tmp/gaps" | awk '{ g[NR] = $1 } END { print NR ? g[int((NR + 1) / 2)] : 0 }')

    printf '%s\n' "${figures[@]}" | awk -v n="$n" -v lines="$lines" -v points="$points" \
        -v delay="$delay" -v poll="$poll_ms" '
        { share += $1 / $2; if ($3 > rss) rss = $3; m++ }
        END {
            printf "N=%-3d cpu %.1f %% of a core (%.2f %% each)  peak RSS %.1f MB  lines %d  points %d  lost %d  %s (poll %d ms)\n",
                   n, 100 * share, m ? 100 * share / m : 0, rss / 1024, lines, points, lines - points, delay, poll
        }'

    # What else there is to see: the recorders' ends, the spools, the journal, the server.
    local spool
    spool=$(find "$tmp/spool" -name '*.spool' -printf '%s\n' | awk '{ s += $1; if ($1 > m) m = $1; c++ } END { printf "%d files, %d bytes, largest %d", c, s, m }')
    echo "   recorders ended in $stop_ms ms after SIGTERM, exit codes: $(printf '%s\n' "${codes[@]}" | sort | uniq -c | awk '{ printf "%s%d x%d", (NR > 1 ? ", " : ""), $2, $1 }')"
    local sent
    sent=$(cat "$tmp"/i*.err | awk '/^  database: [0-9]+ points sent/ { s += $2 } END { print s + 0 }')
    echo "   steady cpu (from $settle s on, start-up left out): $steady % of a core"
    echo "   spool at the end: $spool;  influxd $influx_cpu % of a core;  delays timed for $timed points;  sent by the recorders' own count: $sent"
    echo "   recorders' stderr (numbers as #, instruments as i#; summaries' channel lines left out):"
    cat "$tmp"/i*.err | grep -Ev '^  (T1|T2|T1-T2|no reading):' |
        sed -E 's/^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:]{8} //; s/\<i[0-9]+\>/i#/g; s/[0-9]+/#/g' |
        sort | uniq -c | sort -rn | sed 's/^/    /'
    if [ -s "$tmp/poll.err" ]; then echo "   delay queries that failed: $(wc -l <"$tmp/poll.err")"; fi
    if [ -s "$tmp/influx/influxd.log" ]; then
        echo "   influxd log: $(wc -l <"$tmp/influx/influxd.log") lines, the last:"
        tail -n 3 "$tmp/influx/influxd.log" | sed 's/^/    /'
    fi
    echo "   load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
    [ "$keep" = 1 ] && echo "   kept: $tmp"
    if [ "$keep" = 0 ]; then rm -rf "$tmp"; fi
    tmp=
    return "$rc"
}

echo "machine: $(nproc) cores, $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)"
echo "$("$record" --version | head -n 1);  $(influxd version)"
echo "uptime: $(uptime)"
status=0
for n in "${counts[@]}"; do
    run "$n" || status=1
done
exit "$status"
