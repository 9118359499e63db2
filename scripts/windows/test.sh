#!/usr/bin/env bash
# Builds Tunora and its test suite for Windows (scripts/windows/build.sh) and runs them under
# Wine, headless in Xvfb: the tests that need no Linux service (tests/WindowsTests.cmake lists
# them), then one end-to-end run of the real tunora.exe from its .zip
# (tests/e2e/windows/first_run_cut.sh). The Wine prefix lives in a temporary folder.
#
# Usage: scripts/windows/test.sh [build folder, default build-windows]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=$(mkdir -p "${1:-build-windows}" && cd "${1:-build-windows}" && pwd)

bash scripts/windows/install-deps.sh --test
TUNORA_WIN_TESTS=ON bash scripts/windows/build.sh "$build"
source scripts/windows/sdk.sh
tunora_win_sdk_find "$root"
source scripts/windows/wine.sh
wine_setup

echo "== Windows tests under Wine =="
failed=()
for exe in "$build"/program/windows-tests/*.exe; do
    name=$(basename "$exe" .exe)
    if (cd "$wine_dir" && QT_QPA_PLATFORM=offscreen wine_run "$exe" --gtest_brief=1) >"$wine_dir/$name.log" 2>&1; then
        echo "$name: $(grep -Eo '\[  PASSED  \] [0-9]+ tests?' "$wine_dir/$name.log" || echo passed)"
    else
        echo "$name: FAILED"
        grep -v '^\(fixme\|err\):' "$wine_dir/$name.log" | tail -n 60
        failed+=("$name")
    fi
done

echo "== The program under Wine: first start, play, mark and cut =="
rm -rf "$wine_dir/unzipped" && mkdir -p "$wine_dir/unzipped"
unzip -q "$build/tunora-windows.zip" -d "$wine_dir/unzipped"
# Its screenshots land in <build>/e2e-artifacts/windows/.
if ! (cd "$build" && bash "$root/tests/e2e/windows/first_run_cut.sh" "$wine_dir/unzipped/tunora-windows"); then
    failed+=(first_run_cut)
fi

if [ ${#failed[@]} -gt 0 ]; then
    echo "Windows tests failed: ${failed[*]}" >&2
    exit 1
fi
echo "Windows tests passed"
