#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test KD4410 User Software,
# skipping those already present.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n
  libcli11-dev nlohmann-json3-dev help2man
  libusb-1.0-0-dev
  libgtest-dev libbenchmark-dev
  umockdev libumockdev-dev
  clang libclang-rt-14-dev
  libx11-dev
  fonts-dejavu-core fonts-liberation2
  debhelper dpkg-dev fakeroot lintian appstream desktop-file-utils
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
