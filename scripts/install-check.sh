#!/usr/bin/env bash
# Installs Calvex into a staging folder, as a distribution's package build would, and checks what
# landed there: the desktop entry and the AppStream metainfo pass their validators, every icon
# size is present, the manual pages format without warnings and calvex's states the COM rule as
# --help does, and the installed programs answer --version (calvex-plot also draws a picture) with
# no display. Then builds the .deb and checks that its Depends came out of the
# libraries the programs link. Any failure fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target calvex calvex-record calvex-plot calvex-sim calvex_data

staging="$(mktemp -d "${TMPDIR:-/tmp}/calvex-staging.XXXXXX")"
trap 'rm -rf "$staging"' EXIT
DESTDIR="$staging" cmake --install build --prefix /usr >/dev/null
root="$staging/usr"
id=org.calvex.Calvex

fail() {
    echo "install-check: $*" >&2
    exit 1
}

for f in bin/calvex bin/calvex-record bin/calvex-plot bin/calvex-sim lib/systemd/system/calvex-record@.service share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/man/man1/calvex.1.gz share/man/man1/calvex-plot.1.gz share/man/man1/calvex-record.1.gz share/man/man1/calvex-sim.1.gz; do
    [ -s "$root/$f" ] || fail "missing /usr/$f"
done
for size in 16 32 48 64 128 256; do
    png="$root/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ -s "$png" ] || fail "missing the ${size}x${size} icon"
    file -b "$png" | grep -q "PNG image data, $size x $size," || fail "$png is not a ${size}x${size} PNG"
done

# desktop-file-validate exits 0 on warnings: any output at all fails the check.
messages="$(desktop-file-validate "$root/share/applications/$id.desktop" 2>&1)" || fail "desktop entry: $messages"
[ -z "$messages" ] || fail "desktop entry: $messages"
appstreamcli validate --no-net --explain "$root/share/metainfo/$id.metainfo.xml" || fail "metainfo does not validate"

for page in calvex calvex-plot calvex-record calvex-sim; do
    warnings="$(zcat "$root/share/man/man1/$page.1.gz" | groff -man -ww -z 2>&1)"
    [ -z "$warnings" ] || fail "manual page $page.1: $warnings"
done

project_version="$(sed -n 's/^project(calvex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
version="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/calvex" --version)"
[ "$version" = "Calvex $project_version" ] || fail "installed calvex --version says '$version', not 'Calvex $project_version'"
version="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/calvex-plot" --version)"
[ "$version" = "calvex-plot $project_version" ] ||
    fail "installed calvex-plot --version says '$version', not 'calvex-plot $project_version'"
for program in calvex-record calvex-sim; do
    version="$("$root/bin/$program" --version)"
    [ "$version" = "$program $project_version" ] || fail "installed $program --version says '$version', not '$program $project_version'"
done
# The installed calvex-plot draws a recording's plot with no display.
printf '1\t10:00:00\t21.5\t20.1\t1.4\tC\r\n2\t10:00:01\t22.0\t20.3\t1.7\tC\r\n' >"$staging/two.txt"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/calvex-plot" "$staging/two.txt" \
    --output "$staging/two.png" --size 640x480 || fail "installed calvex-plot could not draw a plot"
file -b "$staging/two.png" | grep -q "PNG image data, 640 x 480," || fail "calvex-plot's picture is not a 640x480 PNG"

# The manual page repeats the COM numbering rule that --help takes from the program: they must agree.
squeeze() { tr -s ' \n' '  ' | sed 's/^ *//; s/ *$//'; }
help_rule="$("$root/bin/calvex" --help | sed -n '/^Serial ports:/,/^$/p' | sed 1d | squeeze)"
man_rule="$(zcat "$root/share/man/man1/calvex.1.gz" | groff -man -Tascii -P-cbou -rLL=10000n -rHY=0 2>/dev/null |
            sed -n '/^SERIAL PORTS/,/^ *$/p' | sed 1d | squeeze)"
[ -n "$help_rule" ] && [ "$help_rule" = "$man_rule" ] ||
    fail "the manual page's SERIAL PORTS says '$man_rule', --help says '$help_rule'"

(cd build && cpack -G DEB >/dev/null)
deb="build/calvex_${project_version}_$(dpkg --print-architecture).deb"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "$deb: $(du -k "$deb" | cut -f1) KiB, Depends: $depends"
echo "$depends" | grep -q libqt6widgets6 || fail "the package's Depends lacks the Qt Widgets library"
contents="$(dpkg-deb -c "$deb")"
grep -q " \./usr/bin/calvex$" <<<"$contents" || fail "the package lacks /usr/bin/calvex"
grep -q " \./usr/bin/calvex-plot$" <<<"$contents" || fail "the package lacks /usr/bin/calvex-plot"
echo "install-check: passed"
