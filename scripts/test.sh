#!/usr/bin/env bash
# Sets up what is missing, builds Tunora with its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --test
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUNORA_WERROR=ON
cmake --build build-test -j2
cd build-test
ctest --output-on-failure --timeout 300
