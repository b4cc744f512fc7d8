#!/usr/bin/env bash
# Installs what is missing, cross-builds the Windows preset (build-windows/), runs its tests
# under wine and makes the zip (build-windows/package/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh windows
export WINEDEBUG=${WINEDEBUG--all}
# wine's first start creates its prefix; done here once rather than by tests started in
# parallel. Without a display, the offers to install wine's .NET and HTML engines are left out.
if [[ ! -f ${WINEPREFIX:-$HOME/.wine}/system.reg ]]; then
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init
fi
cmake --preset windows "$@"
cmake --build --preset windows
ctest --preset windows
cpack --preset windows
