#!/usr/bin/env bash
# A Wayland session without X: in a headless Weston with no DISPLAY, the program starts on
# Qt's Wayland platform, its window is read over the accessibility bus (the song folder
# listed), and it ends through the desktop's media controls with exit code 0.
#
# Usage: wayland.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

e2e_in_own_session "$@"

e2e_init wayland "$1"
e2e_require weston sox lame dbus-send
e2e_require_atspi
[ -n "$(find /usr/lib -name libqwayland-generic.so -print -quit 2>/dev/null)" ] || {
    e2e_log "SKIP: Qt's Wayland platform is not installed (qt6-wayland; scripts/install-deps.sh --test installs it)"
    exit "$E2E_SKIP"
}

e2e_make_song "$E2E_SONGS/wave.mp3" 5 440 32
e2e_song_settings "$E2E_SONGS" mp3

e2e_start_weston
(cd "$E2E_CWD" && XDG_SESSION_TYPE=wayland QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
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
