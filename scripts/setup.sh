#!/usr/bin/env bash
# Installs the Debian packages Calvex needs to build, test, run, install-check and package, and the
# ones named as arguments (scripts/screenshots.sh names its own), when any is missing.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-serialport-dev qt6-svg-dev libgtest-dev libgmock-dev
          libbenchmark-dev fonts-dejavu-core clang-format poppler-utils
          desktop-file-utils appstream dpkg-dev file groff-base influxdb victoria-metrics "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null; then
    as_root=(sudo)
else
    echo "Please install as root: apt-get install ${missing[*]}" >&2
    exit 1
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
