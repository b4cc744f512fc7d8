#!/bin/sh
# Runs a Windows program under wine for CMake and CTest (CMAKE_CROSSCOMPILING_EMULATOR).
# wine stops its server, and the services it started, as soon as its last program exits, so
# each test would pay a full start of several seconds: a server kept for a minute after the
# last program spares that. Its debug channels stay quiet unless WINEDEBUG asks for them.
export WINEDEBUG="${WINEDEBUG--all}"

# The services wine starts with its server live as long as the server and keep the output of
# the program that started them: that program's caller (CTest, GoogleTest's discovery) would
# wait for the end of its output for the server's whole life. So the services are started here,
# by wineboot with no output, and under a lock, so that a test started in parallel waits for
# them rather than starting them itself. `wineserver -p60` fails when a server already runs.
# Neither may keep the lock's descriptor either.
(
  flock 9
  if wineserver -p60 </dev/null >/dev/null 2>&1 9>&-; then
    wine wineboot.exe </dev/null >/dev/null 2>&1 9>&- || true
  fi
) 9>"${TMPDIR:-/tmp}/kd4410-wine-run-$(id -u).lock"
exec wine "$@"
