#!/usr/bin/env bash
# Builds the Windows SDK Tunora cross-builds against, from Debian's own source packages
# (`apt-get source` of the versions Debian ships) with Debian's MinGW-w64 compilers (posix
# threads): Qt's qtbase (Core, Gui, Widgets, Concurrent, Test; the windows, minimal and
# offscreen platforms, the Vista style), ffmpeg (audio only, shared), fribidi, freetype,
# harfbuzz, libass (DirectWrite) and libmpv, into one prefix, then a tarball of it.
#
# It takes a couple of hours on two cores, once: everything goes under a cache folder keyed by
# the source versions and the compiler's, and each step leaves a stamp, so a second run with
# the same versions does nothing and an interrupted one goes on where it stopped.
#
# Usage: scripts/windows/build-sdk.sh [--fetch-only]
#   TUNORA_CACHE   the cache folder (default ~/.cache/tunora); the SDK goes to
#                  $TUNORA_CACHE/win-sdk/build-<key>/
#   TUNORA_JOBS    parallel jobs (default 2)
# At the end it prints the tarball, and scripts/windows/build.sh and test.sh use it from then
# on (unless TUNORA_WIN_SDK names another or ../shared/windows/ holds one).
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs=${TUNORA_JOBS:-2}
cache=${TUNORA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tunora}/win-sdk
sources=(qt6-base ffmpeg fribidi freetype harfbuzz libass mpv)

log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

# --- What is needed to build: the cross compilers, the build tools, Debian's host Qt (its
# moc, rcc and uic build the Windows Qt), and the source lists apt-get source reads.
if ! apt-get source --print-uris fribidi >/dev/null 2>&1; then
    log "adding the deb-src lists of this system's Debian sources"
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/tunora-deb-src.sources >/dev/null
    "${sudo_cmd[@]}" apt-get update
fi
bash scripts/windows/install-deps.sh
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get install -y --no-install-recommends dpkg-dev meson nasm ninja-build cmake pkgconf \
    qt6-base-dev qt6-base-dev-tools autoconf automake libtool python3 xz-utils >/dev/null

# --- The key: each source package's version as apt-get source fetches it, and the compiler's.
version_of() { apt-cache showsrc --only-source "$1" | awk '/^Version:/ { print $2 }' | sort -V | tail -n1; }
key_text=""
declare -A version
for package in "${sources[@]}"; do
    version[$package]=$(version_of "$package")
    [ -n "${version[$package]}" ] || { log "no source package $package"; exit 1; }
    key_text+="$package=${version[$package]} "
done
key_text+="gcc-mingw-w64=$(dpkg-query -W -f='${Version}' gcc-mingw-w64-x86-64-posix)"
key=$(printf '%s' "$key_text" | sha256sum | cut -c1-12)
top="$cache/build-$key"
src="$top/src"
work="$top/build"
P="$top/tunora-win-sdk" # the prefix
logs="$top/logs"
mkdir -p "$src" "$work" "$P" "$logs"
printf '%s\n' "$key_text" >"$top/versions"
log "SDK key $key: $key_text"
log "building in $top"

step() { # name command...: runs once; its output goes to logs/<name>.log
    local name=$1
    shift
    if [ -f "$top/.done-$name" ]; then
        log "$name: done before"
        return 0
    fi
    log "$name ..."
    local began=$SECONDS
    if ! (set -e; "$@") >"$logs/$name.log" 2>&1; then
        log "$name FAILED; the end of logs/$name.log:"
        tail -n 30 "$logs/$name.log" >&2
        exit 1
    fi
    touch "$top/.done-$name"
    log "$name: $((SECONDS - began)) s"
}
# The unpacked source folder of a package (apt-get source names it <name>-<upstream version>).
source_dir() { find "$src" -mindepth 1 -maxdepth 1 -type d -name "$1-*" | sort | tail -n1; }

# --- 0. Sources, with Debian's patches applied by dpkg-source; no other patch.
fetch() {
    cd "$src"
    for package in "${sources[@]}"; do
        apt-get source --only-source "$package=${version[$package]}"
    done
}
step sources fetch
[ "${1:-}" = "--fetch-only" ] && { log "sources fetched into $src"; exit 0; }

# --- Cross files for CMake and meson, inside the prefix, as the SDK carries them.
mkdir -p "$P/share/cross"
cat >"$P/share/cross/mingw64-toolchain.cmake" <<'TOOLCHAIN'
# CMake toolchain for x86_64-w64-mingw32 (Debian 12 gcc-mingw-w64 12-posix) using this SDK prefix.
# The prefix is derived from this file's location (<prefix>/share/cross), so the tree is relocatable.
get_filename_component(TUNORA_WINSDK_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_AR           /usr/bin/${TOOLCHAIN_PREFIX}-ar)
set(CMAKE_RANLIB       /usr/bin/${TOOLCHAIN_PREFIX}-ranlib)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX} "${TUNORA_WINSDK_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config (e.g. pkg_check_modules(MPV mpv)) must look only in the prefix
set(ENV{PKG_CONFIG_LIBDIR} "${TUNORA_WINSDK_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
TOOLCHAIN
cat >"$P/share/cross/mingw64-meson.ini" <<MESON
# meson cross file: x86_64-w64-mingw32 (Debian 12 gcc-mingw-w64 12-posix) against $P
[binaries]
c = 'x86_64-w64-mingw32-gcc-posix'
cpp = 'x86_64-w64-mingw32-g++-posix'
ar = 'x86_64-w64-mingw32-ar'
strip = 'x86_64-w64-mingw32-strip'
windres = 'x86_64-w64-mingw32-windres'
nasm = 'nasm'
pkgconfig = 'pkg-config'

[properties]
pkg_config_libdir = '$P/lib/pkgconfig'
needs_exe_wrapper = true

[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
MESON
X="$P/share/cross/mingw64-meson.ini"
export PKG_CONFIG_LIBDIR="$P/lib/pkgconfig" PKG_CONFIG_PATH=

# --- 1. qtbase: Debian's host tools build it (-qt-host-path /usr); Debian removed the bundled
# wintab, hence no tablet events; no D-Bus, network, SQL or OpenGL.
qtbase() {
    mkdir -p "$work/qtbase" && cd "$work/qtbase"
    nice -n 19 "$(source_dir qt6-base)/configure" \
        -prefix "$P" \
        -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32- \
        -qt-host-path /usr \
        -release -shared -optimize-size -strip \
        -nomake tests -nomake examples -nomake benchmarks -nomake manual-tests -nomake minimal-static-tests \
        -no-dbus -no-opengl -no-feature-vulkan -no-icu -no-glib -no-openssl -no-zstd -no-pkg-config \
        -no-feature-sql -no-feature-network -no-feature-xml -no-feature-printsupport \
        -feature-concurrent -feature-testlib -no-feature-direct2d \
        -no-feature-tabletevent \
        -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre -qt-doubleconversion \
        -- -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$P/share/cross/mingw64-toolchain.cmake" \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    nice -n 19 cmake --build . --parallel "$jobs"
    cmake --install .
    # Qt's installed toolchain file chain-loads the one it was configured with: the copy in
    # the prefix, so that the prefix can move.
    sed -i 's|^set(__qt_initially_configured_toolchain_file ".*")|set(__qt_initially_configured_toolchain_file "${CMAKE_CURRENT_LIST_DIR}/../../../share/cross/mingw64-toolchain.cmake")|' \
        "$P/lib/cmake/Qt6/qt.toolchain.cmake"
}
step qtbase qtbase

# --- 2. ffmpeg: LGPL, shared, audio only (the formats Tunora plays and cuts).
ffmpeg_build() {
    mkdir -p "$work/ffmpeg" && cd "$work/ffmpeg"
    nice -n 19 "$(source_dir ffmpeg)/configure" \
        --prefix="$P" \
        --arch=x86_64 --target-os=mingw32 --enable-cross-compile --cross-prefix=x86_64-w64-mingw32- \
        --pkg-config=pkg-config \
        --enable-shared --disable-static --disable-debug \
        --disable-programs --disable-doc --disable-network --disable-avdevice --disable-postproc \
        --disable-autodetect --enable-w32threads \
        --disable-everything \
        --enable-avcodec --enable-avformat --enable-avutil --enable-swresample --enable-swscale --enable-avfilter \
        --enable-protocol=file,pipe \
        --enable-demuxer=mp3,wav,w64,flac,ogg,mov,aac,asf,pcm_s16le,pcm_s16be,pcm_f32le \
        --enable-muxer=mp3,wav,w64,flac,ogg,oga,opus,mp4,ipod,mov,adts,asf \
        --enable-decoder=mp3,mp3float,mp2,mp2float,pcm_u8,pcm_s16le,pcm_s16be,pcm_s24le,pcm_s24be,pcm_s32le,pcm_f32le,pcm_f64le,pcm_alaw,pcm_mulaw,adpcm_ms,adpcm_ima_wav,flac,vorbis,opus,aac,aac_fixed,aac_latm,alac,wmav1,wmav2,wmapro,wmalossless,wmavoice \
        --enable-encoder=pcm_s16le \
        --enable-parser=mpegaudio,flac,vorbis,opus,aac,aac_latm \
        --enable-bsf=aac_adtstoasc,null \
        --enable-filter=abuffer,abuffersink,buffer,buffersink,aformat,anull,aresample,format,null,volume,atempo,scale
    nice -n 19 make -j"$jobs"
    make install
}
step ffmpeg ffmpeg_build

# --- 3. The text stack libass needs: fribidi, freetype, harfbuzz (meson).
meson_build() { # name source-dir options...
    local name=$1 dir=$2
    shift 2
    rm -rf "$work/$name"
    nice -n 19 meson setup "$work/$name" "$dir" --cross-file "$X" --prefix "$P" --libdir lib \
        --buildtype release --default-library shared "$@"
    nice -n 19 meson compile -C "$work/$name" -j "$jobs"
    meson install -C "$work/$name"
}
step fribidi meson_build fribidi "$(source_dir fribidi)" -Ddocs=false
step freetype meson_build freetype "$(source_dir freetype)" -Dzlib=internal -Dbzip2=disabled -Dpng=disabled \
    -Dbrotli=disabled -Dharfbuzz=disabled -Dtests=disabled
step harfbuzz meson_build harfbuzz "$(source_dir harfbuzz)" \
    -Dglib=disabled -Dgobject=disabled -Dcairo=disabled -Dchafa=disabled -Dicu=disabled \
    -Dgraphite=disabled -Dgraphite2=disabled -Dfreetype=enabled -Dgdi=disabled -Ddirectwrite=disabled \
    -Dtests=disabled -Dintrospection=disabled -Ddocs=disabled -Dbenchmark=disabled

# --- 4. libass with DirectWrite for its fonts (no fontconfig on Windows).
libass() {
    mkdir -p "$work/libass" && cd "$work/libass"
    nice -n 19 "$(source_dir libass)/configure" --host=x86_64-w64-mingw32 --prefix="$P" \
        --enable-shared --disable-static --disable-fontconfig --enable-directwrite \
        --disable-libunibreak --disable-require-system-font-provider
    nice -n 19 make -j"$jobs"
    make install
}
step libass libass

# --- 5. libmpv (no mpv.exe), WASAPI audio; mpv's default gpl=true makes it GPLv2+.
step mpv meson_build mpv "$(source_dir mpv)" \
    -Dlibmpv=true -Dcplayer=false -Dbuild-date=false -Dmanpage-build=disabled \
    -Dlua=disabled -Djavascript=disabled -Dlibarchive=disabled -Dlibbluray=disabled -Ddvdnav=disabled \
    -Dcdda=disabled -Duchardet=disabled -Drubberband=disabled -Dlcms2=disabled -Dvapoursynth=disabled \
    -Dzimg=disabled -Dlibplacebo=disabled -Dshaderc=disabled -Dspirv-cross=disabled -Dvulkan=disabled \
    -Dlibavdevice=disabled -Dsdl2=disabled -Dsdl2-audio=disabled -Dsdl2-video=disabled -Dsdl2-gamepad=disabled \
    -Djpeg=disabled -Dopenal=disabled -Dcplugins=disabled -Dzlib=disabled -Diconv=disabled \
    -Dwasapi=enabled

# --- 6. The MinGW runtime DLLs beside the others, everything stripped, each import checked.
finish() {
    cp /usr/lib/gcc/x86_64-w64-mingw32/12-posix/{libgcc_s_seh-1,libstdc++-6}.dll \
        /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$P/bin/"
    x86_64-w64-mingw32-strip --strip-unneeded "$P"/bin/*.dll "$P"/plugins/*/*.dll
    local dll name
    for dll in "$P"/bin/*.dll "$P"/plugins/*/*.dll; do
        for name in $(x86_64-w64-mingw32-objdump -p "$dll" | awk '/DLL Name:/ { print $3 }'); do
            if [ -z "$(find "$P/bin" -maxdepth 1 -iname "$name")" ] && [ -z "$(find /usr/x86_64-w64-mingw32/lib -maxdepth 1 -iname "lib${name%.dll}.a")" ]; then
                # Windows' own DLLs have MinGW import libraries, most of them: a name without
                # one is said, to be looked at, but does not stop the build.
                echo "note: $dll imports $name, found neither in the SDK nor among MinGW's import libraries"
            fi
        done
    done
    cp "$top/versions" "$P/share/cross/versions"
    tar -C "$top" -cf - tunora-win-sdk | nice -n 19 xz -T"$jobs" -6 >"$top/tunora-win-sdk.tar.xz"
}
step finish finish

printf '%s\n' "$P" >"$cache/built"
log "Windows SDK: $P ($(du -sh "$P" | cut -f1)); tarball $top/tunora-win-sdk.tar.xz ($(du -h "$top/tunora-win-sdk.tar.xz" | cut -f1))"
