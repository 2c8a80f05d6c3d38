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
    locales
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    "${as_root[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A locale with a decimal comma, so the tests can show that readings from the unit are read the same way
# whatever the user's locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    "${as_root[@]}" sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
    "${as_root[@]}" locale-gen >/dev/null
fi
