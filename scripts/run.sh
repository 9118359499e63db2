#!/usr/bin/env bash
# Sets up what is missing, builds Tunora and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUNORA_BUILD_TESTS=OFF -DTUNORA_BUILD_BENCH=OFF
cmake --build build -j2 --target tunora
exec ./build/tunora
