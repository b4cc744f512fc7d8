#!/usr/bin/env bash
# Installs what is missing, builds only the program and the simulator (no tests, benchmarks or
# fuzzers) into build-demo/, and starts the program on the simulated transmitter.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build
scripts/build.sh build-demo -DKD4410_BUILD_TESTS=OFF -DKD4410_BUILD_BENCH=OFF
exec build-demo/kd4410-demo
