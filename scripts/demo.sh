#!/usr/bin/env bash
# Builds Calvex, starts the simulated instrument on a pseudo-terminal and runs the program on it
# as COM1. Extra arguments go to calvex-sim (for example: --model single --unit F).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target calvex calvex-sim
link="${TMPDIR:-/tmp}/calvex-sim-$$"
build/sim/calvex-sim --link "$link" "$@" </dev/null >/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
trap 'exit 130' INT TERM
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
echo "Simulated instrument on $link (COM1). Press OK in the COM Port window."
build/src/app/calvex --com "1=$link"
