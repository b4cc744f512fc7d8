#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer, and
# runs each for a bounded time (seconds, default 40) from its hand-made seeds. A crash, leak,
# undefined behaviour or an input that takes longer than the per-input time-out (seconds, default
# 10) fails that fuzzer. Every run ends with libFuzzer's own closing line ("#N DONE cov: ...");
# a failing run shows its whole report. The last line counts the fuzzers that passed and failed,
# and the script fails when any did.
#   scripts/fuzz.sh [seconds per fuzzer] [per-input time-out]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-40}
timeout=${2:-10}
build=${KD4410_FUZZ_BUILD:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DKD4410_FUZZ=ON -DKD4410_SANITIZE=ON -DKD4410_WERROR=ON \
  -DKD4410_BUILD_TESTS=OFF -DKD4410_BUILD_BENCH=OFF ${KD4410_FUZZ_CMAKE_ARGS:-}
targets=()
for seeds in tests/fuzz/corpus/*/; do targets+=("fuzz_$(basename "$seeds")"); done
cmake --build "$build" --target "${targets[@]}"

passed=0
failed=0
failures=()
summary=()
for seeds in tests/fuzz/corpus/*/; do
  name=$(basename "$seeds")
  work=$(mktemp -d)
  artifacts=$(mktemp -d)
  log=$(mktemp)
  echo "fuzzing $name for ${seconds}s (time-out ${timeout}s per input)"
  status=0
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$build/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout="$timeout" -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "$seeds" >"$log" 2>&1 || status=$?
  # The closing line ("#N DONE cov: C ft: F ...") and the final statistics of every run.
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)
  if [[ $status -eq 0 && -n $done_line ]]; then
    echo "$done_line"
    grep -E '^stat::' "$log" || true
    passed=$((passed + 1))
    summary+=("$(printf '%-22s %s' "$name" "$(grep -oE 'cov: [0-9]+ ft: [0-9]+' <<<"$done_line")")")
  else
    # The whole report, never cut: the stack, the sanitizer's verdict and the input that failed.
    echo "fuzz_$name FAILED (exit $status); its whole output:"
    cat "$log"
    for artifact in "$artifacts"/*; do
      [[ -e $artifact ]] || continue
      echo "failing input $(basename "$artifact") (base64):"
      base64 "$artifact"
    done
    failed=$((failed + 1))
    failures+=("$name")
    summary+=("$(printf '%-22s FAILED' "$name")")
  fi
  rm -rf "$work" "$artifacts" "$log"
done
echo "coverage per fuzzer:"
printf '  %s\n' "${summary[@]}"
[[ $failed -eq 0 ]] || echo "failed: ${failures[*]}"
echo "fuzzers: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
