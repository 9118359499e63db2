#!/usr/bin/env bash
# Puts a Windows build's programs in one folder with everything they load: the DLLs they
# import (and those import, found in the SDK or the MinGW runtime; the rest are Windows' own),
# libmpv, which the program loads at run time, and the Qt plugins the window needs, where Qt
# looks for them (platforms/, styles/ beside the program).
#
# Usage: gather.sh <build folder> <destination folder>
set -euo pipefail
build=$1
dest=$2
: "${TUNORA_WIN_SDK_PREFIX:?set by scripts/windows/sdk.sh}"

# Where a DLL that is not Windows' own comes from.
search=("$TUNORA_WIN_SDK_PREFIX/bin" /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib)

rm -rf "$dest"
mkdir -p "$dest/platforms" "$dest/styles"
cp "$build/tunora.exe" "$build/tunora-streamcopy.dll" "$dest/"
cp "$build/初始化配置.ini" "$dest/"
cp "$TUNORA_WIN_SDK_PREFIX/bin/libmpv-2.dll" "$dest/"
cp "$TUNORA_WIN_SDK_PREFIX/plugins/platforms/qwindows.dll" "$dest/platforms/"
cp "$TUNORA_WIN_SDK_PREFIX/plugins/styles/qwindowsvistastyle.dll" "$dest/styles/"

find_dll() { # name: its path, matched without regard to case as Windows does
    local dir found
    for dir in "${search[@]}"; do
        found=$(find "$dir" -maxdepth 1 -iname "$1" -print -quit 2>/dev/null)
        if [ -n "$found" ]; then
            echo "$found"
            return 0
        fi
    done
    return 1
}

# Every file's imports until none is left that is not in the folder or Windows' own.
queue=("$dest"/*.exe "$dest"/*.dll "$dest"/platforms/*.dll "$dest"/styles/*.dll)
while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    while read -r name; do
        [ -n "$(find "$dest" -maxdepth 1 -iname "$name" -print -quit)" ] && continue
        if path=$(find_dll "$name"); then
            cp "$path" "$dest/"
            queue+=("$dest/$(basename "$path")")
        fi
    done < <(x86_64-w64-mingw32-objdump -p "$file" | awk '/DLL Name:/ { print $3 }')
done
x86_64-w64-mingw32-strip --strip-unneeded "$dest/tunora.exe" "$dest/tunora-streamcopy.dll"
echo "Gathered $(find "$dest" -type f | wc -l) files, $(du -sh "$dest" | cut -f1), in $dest"
