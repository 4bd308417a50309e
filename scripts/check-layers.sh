#!/usr/bin/env bash
# Checks that the folders of src/ keep their layers, and says where they do not (file:line).
#
#   scripts/check-layers.sh [BUILD_DIR]     (default: build)
#
# - src/ holds one library per folder.
# - No file outside src/ui/ and src/app/ includes a Widgets header (QtWidgets or QtPrintSupport,
#   which pulls Widgets in). tests/ and bench/ drive the windows and may.
# - No library outside src/ui/ and src/app/ links Qt6::Widgets, directly or through another
#   library (read from CMake's own --graphviz picture of the targets in BUILD_DIR).
# - calvex-record and calvex-plot, as built in BUILD_DIR, load no Widgets library (ldd).
# - No folder includes from a folder above it:
#   only those before it; ui/common over all of them; each other ui/ folder over ui/common and the
#   logic, never another ui/ folder; the three programs' folders on top, calvex-record's and
#   calvex-plot's below ui/.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

logic=(instrument platform canvas session lists files live sinks memory stats graph plot)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "$1" >&2
    failures=$((failures + 1))
}

# The folder a path under src/ belongs to: ui/<name> for the window folders, else its first part.
folder_of() {
    case "$1" in
    ui/*/*) echo "${1%%/*}/$(echo "$1" | cut -d/ -f2)" ;;
    */*) echo "${1%%/*}" ;;
    *) echo "" ;;
    esac
}

logic_rank() {
    local i
    for i in "${!logic[@]}"; do
        [ "${logic[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo -1
}

# Whether code in folder $1 may include a header of folder $2.
may_use() {
    local from="$1" to="$2" rf rt
    [ "$from" = "$to" ] && return 0
    rt=$(logic_rank "$to")
    case "$from" in
    app) [ "$rt" -ge 0 ] || [[ "$to" == ui/* ]] ;;
    record | plotcli) [ "$rt" -ge 0 ] ;;
    ui/common) [ "$rt" -ge 0 ] ;;
    ui/*) [ "$rt" -ge 0 ] || [ "$to" = ui/common ] ;;
    *)
        rf=$(logic_rank "$from")
        [ "$rf" -ge 0 ] && [ "$rt" -ge 0 ] && [ "$rt" -le "$rf" ]
        ;;
    esac
}

# 1. One library per folder.
while IFS= read -r cmake; do
    count=$(grep -c '^[[:space:]]*add_library(' "$cmake" || true)
    if [ "$count" -gt 1 ]; then
        line=$(grep -n '^[[:space:]]*add_library(' "$cmake" | sed -n 2p | cut -d: -f1)
        fail "$cmake:$line: a second library in one folder ($count in all)"
    fi
done < <(find src -name CMakeLists.txt | sort)

# 2. Widgets headers outside src/ui/ and src/app/.
qt_headers=$(pkg-config --variable=includedir Qt6Widgets 2>/dev/null || true)
[ -d "$qt_headers/QtWidgets" ] || qt_headers=/usr/include/x86_64-linux-gnu/qt6
if [ ! -d "$qt_headers/QtWidgets" ]; then
    fail "check-layers: no QtWidgets headers found to check against (looked in $qt_headers)"
else
    widgets="$work/widgets"
    for module in QtWidgets QtPrintSupport; do
        find "$qt_headers/$module" -maxdepth 1 -type f -printf "%f\n" | sed "s|^|$module/|"
        find "$qt_headers/$module" -maxdepth 1 -type f -printf "%f\n"
    done | sort -u > "$widgets"
    echo "QtWidgets" >> "$widgets"
    echo "QtPrintSupport" >> "$widgets"
    while IFS=: read -r file line text; do
        header=$(echo "$text" | sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<([^>]*)>.*/\1/')
        if grep -qxF "$header" "$widgets"; then
            fail "$file:$line: includes the Widgets header <$header> outside src/ui/ and src/app/"
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' src sim fuzz --include='*.h' --include='*.cpp' |
        grep -vE '^src/(ui|app)/' || true)
fi

# 3. Includes from a folder above.
while IFS=: read -r file line text; do
    header=$(echo "$text" | sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/')
    [ -f "src/$header" ] || continue
    from=$(folder_of "${file#src/}")
    to=$(folder_of "$header")
    if ! may_use "$from" "$to"; then
        fail "$file:$line: includes \"$header\": $from/ may not use $to/, which is above it"
    fi
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' src --include='*.h' --include='*.cpp' || true)

# 4. Libraries outside src/ui/ and src/app/ that link Widgets, read from CMake's own target graph.
if [ -f "$build/CMakeCache.txt" ]; then
    cmake --graphviz="$work/targets.dot" "$build" > /dev/null
    while IFS=: read -r cmake line text; do
        target=$(echo "$text" | sed -E 's/.*add_library\(([A-Za-z0-9_]+).*/\1/')
        # The node of the target, then everything it links, followed edge by edge.
        reached=$(awk -v start="$target" '
            # Nodes: `"node3" [ label = "calvex_platform", ... ];`  edges: `"node3" -> "node7" ...`
            / -> / {
                from = $1; to = $3; gsub(/"/, "", from); gsub(/"/, "", to)
                edges[from] = edges[from] " " to
                next
            }
            /\[ label = "/ {
                id = $1; gsub(/"/, "", id)
                name = $0; sub(/.*\[ label = "/, "", name); sub(/".*/, "", name)
                label[id] = name
                if (name == start) node = id
            }
            END {
                if (node == "") exit
                queue[1] = node; seen[node] = 1; head = 1; tail = 1
                while (head <= tail) {
                    n = queue[head++]
                    print label[n]
                    count = split(edges[n], next_nodes, " ")
                    for (i = 1; i <= count; i++)
                        if (!(next_nodes[i] in seen)) { seen[next_nodes[i]] = 1; queue[++tail] = next_nodes[i] }
                }
            }' "$work/targets.dot")
        if echo "$reached" | grep -qE '^Qt6::(Widgets|PrintSupport)$'; then
            fail "$cmake:$line: $target links Qt6::Widgets (through $(echo "$reached" | grep -vxF "$target" | grep '^calvex' | tr '\n' ' '))"
        fi
    done < <(grep -rn 'add_library(' src --include=CMakeLists.txt | grep -vE '^src/(ui|app)/' || true)

    # 5. The headless programs load no Widgets.
    for program in src/record/calvex-record src/plotcli/calvex-plot; do
        if [ ! -x "$build/$program" ]; then
            fail "$build/$program: not built, so its libraries could not be checked"
        elif ldd "$build/$program" | grep -qE 'libQt6(Widgets|PrintSupport)'; then
            fail "$build/$program: loads $(ldd "$build/$program" | grep -oE 'libQt6(Widgets|PrintSupport)[^ ]*' | tr '\n' ' ')"
        fi
    done
else
    fail "$build: no configured build, so the linked libraries could not be checked"
fi

if [ "$failures" -gt 0 ]; then
    echo "check-layers: $failures problem(s)" >&2
    exit 1
fi
echo "check-layers: every folder keeps its layer"
