#!/usr/bin/env bash
# Sets up what is missing, builds Tunora and runs every test: the unit, window, real-engine
# and end-to-end tests; the Debian package, checked without installing it; the same suite
# again under the address and undefined-behaviour sanitizers, and without the end-to-end runs
# under ThreadSanitizer; a short run of each fuzz target; and, when a Windows SDK is at hand
# (scripts/windows/sdk.sh says where it looks), the Windows build and its tests under Wine.
# Beyond the packages it needs, it changes nothing on the machine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --test
jobs="${TUNORA_JOBS:-2}"

echo "== Tests =="
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUNORA_WERROR=ON
cmake --build build-test -j"$jobs"
(cd build-test && ctest --output-on-failure --timeout 300)

echo "== Debian package: build, validate, unpack and run, simulate its install =="
bash scripts/package-check.sh build-test

echo "== Tests under the address and undefined-behaviour sanitizers =="
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTUNORA_SANITIZE=ON \
  -DTUNORA_BUILD_BENCH=OFF -DTUNORA_WERROR=ON
cmake --build build-sanitize -j"$jobs"
# Any report fails the run: leaks, memory errors and undefined behaviour alike.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd build-sanitize && ctest --output-on-failure --timeout 600 -LE e2e)
unset ASAN_OPTIONS UBSAN_OPTIONS

echo "== Tests under ThreadSanitizer =="
# Any report fails the run; tests/tsan.supp leaves out what happens inside Qt and the libraries
# under libmpv, each entry with its reason. Exported before the build, which runs a program of
# its own (the icon writer) on Qt's thread pool. The longest history keeps the earlier access of a
# report, so its suppression can match.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:history_size=7:suppressions=$PWD/tests/tsan.supp"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTUNORA_SANITIZE=thread \
  -DTUNORA_BUILD_BENCH=OFF -DTUNORA_WERROR=ON
cmake --build build-tsan -j"$jobs"
(cd build-tsan && ctest --output-on-failure --timeout 600 -LE e2e)
unset TSAN_OPTIONS

if [ -f scripts/fuzz.sh ]; then
  echo "== Fuzzing, briefly =="
  bash scripts/fuzz.sh
fi

echo "== Windows: the cross-built program and its tests under Wine =="
source scripts/windows/sdk.sh
if tunora_win_sdk_find "$PWD"; then
  bash scripts/windows/test.sh build-windows
else
  echo "SKIPPED the Windows build and its tests under Wine: $TUNORA_WIN_SDK_MISSING."
  echo "scripts/windows/build-sdk.sh builds that SDK once; TUNORA_WIN_SDK=<folder or tarball> names one."
fi
