#!/usr/bin/env bash
# A Wayland session without X: in a headless Weston with no DISPLAY, the program starts on
# Qt's Wayland platform, its window is read over the accessibility bus (the song folder
# listed), and it ends through the desktop's media controls with exit code 0.
#
# Usage: wayland.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

if [ -z "${E2E_SESSION_BUS:-}" ]; then
    e2e_require dbus-run-session
    E2E_SESSION_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi

e2e_init wayland "$1"
e2e_require weston sox lame dbus-send
e2e_require_atspi
[ -n "$(find /usr/lib -name libqwayland-generic.so -print -quit 2>/dev/null)" ] || {
    e2e_log "SKIP: Qt's Wayland platform is not installed (qt6-wayland; scripts/install-deps.sh --test installs it)"
    exit "$E2E_SKIP"
}

e2e_make_song "$E2E_SONGS/wave.mp3" 5 440 32
e2e_settings_file UTF-8 <<EOF
[歌曲目录]
路径=$E2E_SONGS/
[音乐格式]
格式=mp3
EOF

# The compositor's socket lives in a runtime folder of the run's own.
export XDG_RUNTIME_DIR="$e2e_dir/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY QT_QPA_PLATFORM
weston --backend=headless-backend.so --socket=wayland-tunora --idle-time=0 >"$e2e_dir/weston.log" 2>&1 &
e2e_pids+=($!)
socket() { [ -S "$XDG_RUNTIME_DIR/wayland-tunora" ] && echo yes; }
e2e_wait 20 "Weston's socket" socket >/dev/null

(cd "$E2E_CWD" && WAYLAND_DISPLAY=wayland-tunora XDG_SESSION_TYPE=wayland QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    exec "$E2E_PROGRAM") >"$e2e_dir/tunora.log" 2>&1 &
E2E_TUNORA_PID=$!
e2e_pids+=("$E2E_TUNORA_PID")
songs() { atspi list-items 歌曲文件列表 2>/dev/null; }
[ "$(e2e_wait 30 "the window's song list over the accessibility bus" songs)" = wave.mp3 ] ||
    e2e_fail "the song-file list holds $(songs)"
grep -q 'libqwayland' "/proc/$E2E_TUNORA_PID/maps" || e2e_fail "Qt's Wayland platform is not loaded"
! grep -q 'libqxcb' "/proc/$E2E_TUNORA_PID/maps" || e2e_fail "Qt's X platform is loaded"
atspi dump >"$E2E_ARTIFACTS/tree.txt"
e2e_log "the window runs on Wayland and reads over AT-SPI ($(wc -l <"$E2E_ARTIFACTS/tree.txt") nodes)"

on_bus() { dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.mpris.MediaPlayer2.tunora | grep -q 'boolean true' && echo yes; }
e2e_wait 15 "the program on the session bus" on_bus >/dev/null
dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.tunora /org/mpris/MediaPlayer2 \
    org.mpris.MediaPlayer2.Quit >/dev/null || e2e_fail "Quit was refused"
e2e_expect_exit 15 0
e2e_log "PASS"
