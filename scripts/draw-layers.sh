#!/usr/bin/env bash
# Draws docs/layers.svg, the libraries and programs of src/ and what each links, from CMake's own
# --graphviz output of a configured build (tests, benchmarks, fuzz targets, the simulator and Qt's
# inner targets left out; `tred` drops the links already implied by others). Needs graphviz.
#
#   scripts/draw-layers.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
[ -f "$build/CMakeCache.txt" ] || { echo "draw-layers: $build is not a configured build" >&2; exit 1; }
command -v dot > /dev/null || { echo "draw-layers: needs graphviz (apt-get install graphviz)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"; rm -f "$build/CMakeGraphVizOptions.cmake"' EXIT
cat > "$build/CMakeGraphVizOptions.cmake" <<'OPTIONS'
set(GRAPHVIZ_GRAPH_NAME "calvex")
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "^test_" "^bench_" "^fuzz_" "calvex_test_support" "calvex_sim" "calvex-sim"
    "calvex_render_icon" "GTest::" "benchmark::" "Threads::" "Wrap" "OpenGL" "Vulkan" "Private$" "EntryPoint"
    "Qt6::Platform" "^Qt::" "Qt6::moc")
OPTIONS
cmake --graphviz="$work/targets.dot" "$build" > /dev/null
# The legend's sample nodes would only be linked to each other: the picture goes without them.
sed '/^subgraph clusterLegend/,/^}/d' "$work/targets.dot" | sed 's/^digraph "calvex" {/digraph "calvex" {\n  rankdir = BT;/' |
    tred > "$work/layers.dot"
dot -Tsvg "$work/layers.dot" -o docs/layers.svg
# DRAW_LAYERS_PNG=FILE also draws the picture as PNG there, to look at.
[ -z "${DRAW_LAYERS_PNG:-}" ] || dot -Tpng "$work/layers.dot" -o "$DRAW_LAYERS_PNG"
echo "docs/layers.svg"
