#!/usr/bin/env bash
# Songs opened from outside the window, as a file manager's "Open with Tunora" opens them
# (tunora FILE...), on a private session bus: the first song that opens plays and its folder
# becomes the song folder (listed, stored); a path that is no readable file is reported in a
# message box and the program still starts. A second launch while the program runs hands its
# song to the running one and ends, so one process remains; without songs it only brings the
# window up, out of the tray too.
#
# Usage: open_from_outside.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

e2e_in_own_session "$@"

e2e_init open_from_outside "$1"
e2e_require sox lame iconv trayer
e2e_require_atspi

first="$E2E_SONGS/first folder"
second="$E2E_SONGS/第二"
mkdir -p "$first" "$second"
e2e_make_song "$first/one.mp3" 30 440 32
e2e_make_song "$first/two.mp3" 30 550 32
e2e_make_song "$second/三.mp3" 30 660 32
e2e_settings_file GBK <<EOF
[音乐格式]
格式=mp3
EOF

settings_folder() { iconv -f GBK -t UTF-8 "$E2E_SETTINGS" | sed -n 's/^路径=\(.*\)\r\?$/\1/p'; }
processes() { # the run's program copies that are running
    local exe n=0
    for exe in /proc/[0-9]*/exe; do
        [ "$(readlink "$exe" 2>/dev/null)" = "$E2E_PROGRAM" ] && n=$((n + 1))
    done
    echo "$n"
}
# launch <args...>: a second launch from another directory; sets launched_code.
launch() {
    launched_code=0
    (cd / && exec timeout 30 "$E2E_PROGRAM" "$@") >>"$e2e_dir/launches.log" 2>&1 || launched_code=$?
    e2e_log "tunora $* -> exit $launched_code"
}
listed() { atspi list-items 歌曲文件列表 | sort | paste -sd' '; }
expect_song() { # file name, folder
    e2e_wait 15 "$1 to play" e2e_playing_song "$1" >/dev/null
    [ "$(atspi name-starting 歌曲名)" = "歌曲名：$1" ] || e2e_fail "标签1 shows $(atspi name-starting 歌曲名)"
    [ "$(atspi name-starting 歌曲路径)" = "歌曲路径：$2/" ] || e2e_fail "标签2 shows $(atspi name-starting 歌曲路径)"
    [ "$(settings_folder)" = "$2/" ] || e2e_fail "the settings file holds the folder '$(settings_folder)'"
}

# 1. tunora FILE..., started from the songs folder with a relative path: the missing song
# is reported, the next one plays.
e2e_start_xvfb
E2E_CWD=$E2E_SONGS
e2e_start_tunora_for_atspi "missing.mp3" "first folder/two.mp3"
box=$(e2e_wait 15 'the message box 错误' e2e_message_box 错误)
e2e_screenshot 1-missing-song
e2e_dismiss_box "$box"
e2e_wait 10 'the message box to close' e2e_gone e2e_message_box 错误 >/dev/null
expect_song two.mp3 "$first"
[ "$(listed)" = "one.mp3 two.mp3" ] || e2e_fail "the song-file list holds $(listed)"
e2e_screenshot 2-opened
e2e_log "tunora FILE plays two.mp3 with its folder listed and stored"

# 2. A second launch with a song of another folder: the running program plays it.
launch "$second/三.mp3"
[ "$launched_code" -eq 0 ] || e2e_fail "the second launch exited with $launched_code"
expect_song 三.mp3 "$second"
[ "$(listed)" = "三.mp3" ] || e2e_fail "the song-file list holds $(listed)"
[ "$(processes)" -eq 1 ] || e2e_fail "$(processes) processes of the program run"
e2e_log "a second launch handed 三.mp3 over; one process runs"

# 3. A second launch with a path that is no readable file: the running program says so and
# goes on playing.
launch "$E2E_SONGS/no such song.mp3"
[ "$launched_code" -eq 0 ] || e2e_fail "the launch with a missing song exited with $launched_code"
box=$(e2e_wait 15 'the message box 错误' e2e_message_box 错误)
e2e_dismiss_box "$box"
e2e_playing_song 三.mp3 >/dev/null || e2e_fail "三.mp3 stopped playing"
[ "$(processes)" -eq 1 ] || e2e_fail "$(processes) processes of the program run"

e2e_x11 close "$E2E_WINDOW"
e2e_expect_exit 15 0

# 4. Started in the tray, a launch without songs brings the window up and ends.
e2e_settings_file GBK <<EOF
[音乐格式]
格式=mp3
[最小化]
参数=是
EOF
e2e_start_tray
(cd "$E2E_CWD" && exec "$E2E_PROGRAM") >"$e2e_dir/tunora.log" 2>&1 &
E2E_TUNORA_PID=$!
e2e_pids+=("$E2E_TUNORA_PID")
e2e_wait_tray_icon 30 >/dev/null
[ -z "$(e2e_visible_main_window)" ] || e2e_fail "the window shows although it starts in the tray"
# The program is on the bus once it is in the tray.
on_bus() { dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.mpris.MediaPlayer2.tunora | grep -q 'boolean true' && echo yes; }
e2e_wait 15 "the program on the session bus" on_bus >/dev/null
launch
[ "$launched_code" -eq 0 ] || e2e_fail "the launch without songs exited with $launched_code"
e2e_wait_main_window 15
e2e_wait 10 'the tray icon to go' e2e_gone e2e_tray_icon >/dev/null
[ "$(processes)" -eq 1 ] || e2e_fail "$(processes) processes of the program run"
e2e_screenshot 3-raised
e2e_log "a launch without songs brought the window out of the tray"
e2e_x11 close "$E2E_WINDOW"
e2e_expect_exit 15 0
e2e_log "PASS"
