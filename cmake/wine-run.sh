#!/bin/sh
# Runs a Windows program under wine for CMake and CTest (CMAKE_CROSSCOMPILING_EMULATOR).
# wine stops its server, and the services it started, as soon as its last program exits, so
# each test would pay a full start of several seconds: a server kept for a minute after the
# last program spares that. Its debug channels stay quiet unless WINEDEBUG asks for them.
export WINEDEBUG="${WINEDEBUG--all}"
wineserver -p60 2>/dev/null || true   # fails harmlessly when a server already runs
exec wine "$@"
