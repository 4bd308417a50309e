#!/usr/bin/env bash
# Makes the README's pictures in docs/: the panel reading the simulated instrument, the file list of
# a minute recorded from it, and that file's plot fitted to its readings, each window as it stands on an X screen of its
# own (Xvfb), with settings of its own so that nothing of the user's is read or changed.
# Usage: scripts/screenshots.sh   (builds what it runs; installs Xvfb, xdotool and ImageMagick
# when missing, as scripts/setup.sh installs the build's packages)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh xvfb xauth xdotool imagemagick
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target calvex calvex-sim calvex-record

if [ -z "${CALVEX_SCREENSHOTS_DISPLAY:-}" ]; then
    export CALVEX_SCREENSHOTS_DISPLAY=1
    exec xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" "$0" "$@"
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/calvex-screenshots.XXXXXX")"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=xcb
# The same font on every machine, so the pictures change only when the windows do.
export QT_FONT_DPI=96

# The window whose title is exactly `title`, once it is shown (at most thirty seconds).
window() {
    local id
    for _ in $(seq 300); do
        id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)" || true
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    echo "screenshots: no window \"$1\" appeared" >&2
    cat "$work/calvex.log" >&2 2>/dev/null || true
    exit 1
}

# One window's pixels, as the user sees them, to docs/NAME.png.
shoot() {
    # With no window manager the windows overlap: the one shot comes on top first.
    xdotool windowraise "$1"
    sleep 0.5
    import -window "$1" "docs/$2.png"
    echo "docs/$2.png"
}

# A minute of the simulated instrument, recorded as calvex-record writes a file.
build/sim/calvex-sim --link "$work/sim" </dev/null >/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -e "$work/sim" ] && break; sleep 0.1; done
data="$work/bench-run.txt"
build/src/record/calvex-record --port "$work/sim" --every 1 --duration 60 --quiet --output "$data"

# The panel on the same instrument, with the recorded file given on the command line: its file
# list opens beside the COM Port window.
build/src/app/calvex --com "1=$work/sim" "$data" >/dev/null 2>"$work/calvex.log" &
pids+=($!)
chooser="$(window "COM Port")"
xdotool windowfocus --sync "$chooser" key --window "$chooser" Return
panel="$(window "Panel     V7.0")"
sleep 4  # a few readings on the panel
shoot "$panel" panel

list="$(window "bench-run.txt")"
shoot "$list" file-list

xdotool windowfocus --sync "$list" key --window "$list" ctrl+g
plot="$(window "Plot Data/File ")"
sleep 2  # the plot draws its records
# Fit: the scale spans the minute's readings rather than the thermocouple's whole range.
xdotool windowraise "$plot"
xdotool windowfocus --sync "$plot" key --window "$plot" ctrl+f
sleep 1
shoot "$plot" plot
