#!/usr/bin/env bash
# Configures and builds into the folder given (default: build), with extra CMake arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
cmake -S . -B "$build" -G Ninja "$@"
cmake --build "$build"
