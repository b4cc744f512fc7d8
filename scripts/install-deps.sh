#!/usr/bin/env bash
# Installs the Debian 12 packages of the sets named (default: all), skipping those already present:
#   build    what building and running the program needs (scripts/demo.sh)
#   test     the tests, benchmarks and fuzzers on top (scripts/test.sh, scripts/fuzz.sh)
#   package  the tools that build and check the Debian packages
#   windows  the Windows cross build and its tests under wine (scripts/test-windows.sh): not part
#            of the default
set -euo pipefail

build=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-translations-l10n
  libcli11-dev nlohmann-json3-dev
  libusb-1.0-0-dev
  libsqlite3-dev libpq-dev
  fonts-dejavu-core fonts-liberation2
)
test=(
  libgtest-dev libbenchmark-dev
  umockdev libumockdev-dev
  clang libclang-rt-14-dev
  libx11-dev xvfb
  postgresql poppler-utils
)
package=(debhelper dpkg-dev fakeroot lintian appstream desktop-file-utils man-db)
# wine64 runs the programs, wine provides the `wine` command; the header-only libraries and
# GoogleTest's sources serve the cross build as they are.
windows=(
  cmake ninja-build
  g++-mingw-w64-x86-64-posix wine wine64
  libcli11-dev nlohmann-json3-dev googletest
)

sets=("$@")
[[ ${#sets[@]} -gt 0 ]] || sets=(build test package)
packages=()
for set in "${sets[@]}"; do
  case $set in
    build) packages+=("${build[@]}") ;;
    test) packages+=("${test[@]}") ;;
    package) packages+=("${package[@]}") ;;
    windows) packages+=("${windows[@]}") ;;
    all) packages+=("${build[@]}" "${test[@]}" "${package[@]}") ;;
    *) echo "usage: $0 [build|test|package|windows|all]..." >&2; exit 2 ;;
  esac
done

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
