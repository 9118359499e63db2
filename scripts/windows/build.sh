#!/usr/bin/env bash
# Cross-builds Tunora for 64-bit Windows with Debian's MinGW-w64 and the project's own CMake:
# tunora.exe and tunora-streamcopy.dll, with every DLL and Qt plugin they load beside them, as
# the folder <build>/tunora-windows/ and <build>/tunora-windows.zip, which a Windows user
# unpacks and runs. The Windows SDK is found as scripts/windows/sdk.sh says.
#
# Usage: scripts/windows/build.sh [build folder, default build-windows]
# With TUNORA_WIN_TESTS=ON it builds the Windows test suite too (scripts/windows/test.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=$(mkdir -p "${1:-build-windows}" && cd "${1:-build-windows}" && pwd)

bash scripts/windows/install-deps.sh
source scripts/windows/sdk.sh
if ! tunora_win_sdk_find "$root"; then
    echo "scripts/windows/build.sh: $TUNORA_WIN_SDK_MISSING" >&2
    exit 1
fi
echo "Windows SDK: $TUNORA_WIN_SDK_PREFIX"

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build/program" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/windows-mingw.cmake" \
    -DTUNORA_WIN_SDK_PREFIX="$TUNORA_WIN_SDK_PREFIX" -DCMAKE_BUILD_TYPE=Release -DTUNORA_WERROR=ON \
    -DTUNORA_BUILD_TESTS="${TUNORA_WIN_TESTS:-OFF}" -DTUNORA_BUILD_BENCH=OFF "${launcher[@]}"
cmake --build "$build/program" -j"${TUNORA_JOBS:-2}"

bash scripts/windows/gather.sh "$build/program" "$build/tunora-windows"
rm -f "$build/tunora-windows.zip"
(cd "$build" && zip -qr -X tunora-windows.zip tunora-windows)
echo "Windows program: $build/tunora-windows/tunora.exe"
echo "Windows archive: $build/tunora-windows.zip ($(du -h "$build/tunora-windows.zip" | cut -f1))"
