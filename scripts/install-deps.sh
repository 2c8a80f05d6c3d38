#!/usr/bin/env bash
# Installs the Debian 12 packages that the build, the window, the tests and the benchmarks use, but only
# those that are missing. Runs as root; as another user it goes through sudo.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config g++
    clang libclang-rt-14-dev
    googletest libgtest-dev libgmock-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libasound2-dev
    xvfb xauth fonts-dejavu-core fonts-dejavu-extra
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
