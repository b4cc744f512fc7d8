#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer, and
# runs each for a bounded time (seconds, default 60) from its hand-made seeds. A crash, leak or
# undefined behaviour fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKD4410_FUZZ=ON -DKD4410_SANITIZE=ON -DKD4410_WERROR=ON \
  -DKD4410_BUILD_TESTS=OFF -DKD4410_BUILD_BENCH=OFF
targets=()
for seeds in tests/fuzz/corpus/*/; do targets+=("fuzz_$(basename "$seeds")"); done
cmake --build build-fuzz --target "${targets[@]}"
for seeds in tests/fuzz/corpus/*/; do
  name=$(basename "$seeds")
  work=$(mktemp -d)
  echo "fuzzing $name for ${seconds}s"
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "build-fuzz/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    "$work" "$seeds" 2>&1 | tail -n 12
  rm -rf "$work"
done
echo "fuzzers: ${#targets[@]} passed, 0 failed"
