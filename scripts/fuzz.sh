#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each one for a short fixed
# time from a copy of its committed seed corpus (fuzz/corpus/<target>), which stays as it is.
# Fails on any crash, leak, sanitizer report, hang or broken property.
#   scripts/fuzz.sh [seconds per target]     (or FUZZ_SECONDS; default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-${FUZZ_SECONDS:-20}}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "fuzz.sh: seconds must be a positive whole number, not '$seconds'" >&2
  exit 2
fi

bash scripts/install-deps.sh --test
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DTUNORA_FUZZ=ON -DTUNORA_BUILD_APP=OFF >/dev/null
cmake --build "$build" -j2 --target tunora_fuzzers

# target:max_len. The audio bounds look at a file's head and tail only; numbers are short.
# The overview's songs need a few frames of each format.
targets=(settings:2048 numbers:64 audiobounds:2048 containers:4096 gains:4096 overview:16384)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
passed=0
failed=0
for entry in "${targets[@]}"; do
  name=${entry%%:*}
  maxLen=${entry##*:}
  corpus="$work/$name/corpus"
  artifacts="$build/fuzz-artifacts/$name"
  mkdir -p "$corpus" "$artifacts"
  cp fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
  log="$work/$name.log"
  echo "== fuzz $name: ${seconds}s, max_len $maxLen"
  status=0
  "$build/fuzz/${name}_fuzzer" "$corpus" -max_total_time="$seconds" -max_len="$maxLen" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
    >"$log" 2>&1 || status=$?
  # A sanitizer that only warned would not stop the run: its report still fails it.
  if [ "$status" -eq 0 ] && grep -qE "runtime error:|ERROR: (Address|Leak|Undefined)Sanitizer" "$log"; then
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 || true)
  if [ "$status" -eq 0 ]; then
    passed=$((passed + 1))
    echo "fuzz $name: PASSED, ${runs:-?} runs in ${seconds}s (${rate:-?} exec/s), ${cov:-no coverage line}"
  else
    failed=$((failed + 1))
    grep -E -A30 "PROPERTY VIOLATED|ERROR: |runtime error:|SUMMARY" "$log" | head -80 || tail -40 "$log"
    echo "fuzz $name: FAILED (exit $status), input saved under ${artifacts#"$root"/}/"
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
