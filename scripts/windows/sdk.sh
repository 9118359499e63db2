# Sourced by the Windows scripts: finds the Windows SDK and sets TUNORA_WIN_SDK_PREFIX to it,
# or returns 1 with the reason in TUNORA_WIN_SDK_MISSING.
#
# TUNORA_WIN_SDK names a prefix folder or a tarball of one; else the tarball in
# ../shared/windows/ beside the project; else the prefix scripts/windows/build-sdk.sh built last.
# A tarball is unpacked once into the cache, under its checksum.

tunora_win_cache() {
    echo "${TUNORA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tunora}"
}

tunora_win_sdk_find() { # project_root
    local root=$1 source="" sum dest
    TUNORA_WIN_SDK_MISSING=""
    if [ -n "${TUNORA_WIN_SDK:-}" ]; then
        source=$TUNORA_WIN_SDK
    elif [ -f "$root/../shared/windows/tunora-win-sdk.tar.xz" ]; then
        source=$root/../shared/windows/tunora-win-sdk.tar.xz
    elif [ -f "$(tunora_win_cache)/win-sdk/built" ]; then
        source=$(cat "$(tunora_win_cache)/win-sdk/built")
    else
        TUNORA_WIN_SDK_MISSING="no Windows SDK: TUNORA_WIN_SDK is unset, ../shared/windows/tunora-win-sdk.tar.xz is not there, and scripts/windows/build-sdk.sh has not built one"
        return 1
    fi
    if [ -d "$source" ]; then
        TUNORA_WIN_SDK_PREFIX=$(cd "$source" && pwd)
    elif [ -f "$source" ]; then
        sum=$(sha256sum "$source" | cut -c1-16)
        dest="$(tunora_win_cache)/win-sdk/unpacked-$sum"
        if [ ! -f "$dest/.unpacked" ]; then
            echo "Unpacking the Windows SDK $source into $dest" >&2
            rm -rf "$dest" && mkdir -p "$dest"
            tar -C "$dest" -xJf "$source"
            touch "$dest/.unpacked"
        fi
        TUNORA_WIN_SDK_PREFIX=$(find "$dest" -mindepth 2 -maxdepth 4 -type d -path '*/lib/cmake/Qt6' | head -n1)
        TUNORA_WIN_SDK_PREFIX=${TUNORA_WIN_SDK_PREFIX%/lib/cmake/Qt6}
        # The .pc files name the prefix the SDK was built for (ffmpeg's in every path, not only
        # in prefix=); this copy is where it was unpacked.
        for pc in "$TUNORA_WIN_SDK_PREFIX"/lib/pkgconfig/*.pc; do
            sed -i -e "s|/opt/tunora-win-sdk|$TUNORA_WIN_SDK_PREFIX|g" -e "s|^prefix=.*|prefix=$TUNORA_WIN_SDK_PREFIX|" "$pc"
        done
    else
        TUNORA_WIN_SDK_MISSING="TUNORA_WIN_SDK=$source is neither a folder nor a file"
        return 1
    fi
    if [ ! -d "$TUNORA_WIN_SDK_PREFIX/lib/cmake/Qt6" ] || [ ! -f "$TUNORA_WIN_SDK_PREFIX/bin/libmpv-2.dll" ]; then
        TUNORA_WIN_SDK_MISSING="$source holds no Windows SDK (no Qt or no libmpv-2.dll)"
        return 1
    fi
    export TUNORA_WIN_SDK_PREFIX
}
