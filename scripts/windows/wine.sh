# Sourced by the Windows test scripts: a private Xvfb display and a Wine prefix in a temporary
# folder, both ended and removed on exit; wine_run runs a Windows program in them.

wine_dir=""
wine_xvfb_pid=""

wine_log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

wine_cleanup() {
    if [ -n "$wine_dir" ] && [ -d "$wine_dir/prefix" ]; then
        # Only this run's own prefix: its wineserver and the programs in it.
        WINEPREFIX="$wine_dir/prefix" wineserver -k 2>/dev/null || true
    fi
    if [ -n "$wine_xvfb_pid" ]; then
        kill "$wine_xvfb_pid" 2>/dev/null || true
        wait "$wine_xvfb_pid" 2>/dev/null || true
    fi
    [ -n "$wine_dir" ] && rm -rf "$wine_dir"
    return 0
}

# Starts Xvfb on a free display and makes the prefix: Wine's own Tahoma and Marlett (it draws
# window frames and its dialogs with them) and a font with the CJK glyphs, in its Fonts folder.
wine_setup() {
    wine_dir=$(mktemp -d "${TMPDIR:-/tmp}/tunora-wine.XXXXXX")
    trap wine_cleanup EXIT
    local display=90
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$wine_dir/xvfb.log" 2>&1 &
    wine_xvfb_pid=$!
    export DISPLAY=":$display"
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdpyinfo >/dev/null 2>&1 || { wine_log "Xvfb did not start"; return 1; }

    export WINEPREFIX="$wine_dir/prefix" WINEARCH=win64 WINEDEBUG=-all
    # No Mono or Gecko: nothing here needs them, and their installers would ask.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    wine_log "making the Wine prefix"
    wine wineboot --init >"$wine_dir/wineboot.log" 2>&1
    wineserver -w
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/*.ttf "$fonts/"
    cp /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$fonts/"
}

# wine_run <program.exe> [arguments...], with the SDK's DLLs and Qt plugins found.
wine_run() {
    local sdk_bin
    sdk_bin=$(winepath -w "$TUNORA_WIN_SDK_PREFIX/bin" 2>/dev/null)
    WINEPATH="$sdk_bin;$(winepath -w /usr/lib/gcc/x86_64-w64-mingw32/12-posix);$(winepath -w /usr/x86_64-w64-mingw32/lib)" \
        QT_PLUGIN_PATH="$(winepath -w "$TUNORA_WIN_SDK_PREFIX/plugins")" wine "$@"
}
