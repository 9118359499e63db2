#!/usr/bin/env bash
# Start minimised with auto-play, from a GBK settings file: the window never shows, the tray
# holds the program's icon, the first song plays while the window stays hidden, and 退出 in
# the tray icon's menu ends the program with exit code 0 and takes the icon with it.
#
# Usage: tray_autoplay_exit.sh <tunora binary> <folder of fixture songs>
source "$(dirname "$0")/lib.sh"

e2e_init tray_autoplay_exit "$1"
fixtures=$2
e2e_require sox lame iconv trayer

# 退出 is the last item of the tray menu; measured from a screenshot, it is centred 14 px
# above the menu's bottom edge.
quit_item_above_bottom=14

# The top entry of the list, so the one auto-play starts. At 320 kbit/s the player reads it
# from disk in steps of about a second and a half while it plays.
song="自动 播放.mp3"
e2e_make_song "$E2E_SONGS/$song" 30 440 320
cp "$fixtures/tone-1s.mp3" "$E2E_SONGS/"

e2e_settings_file GBK <<EOF
[歌曲目录]
路径=$E2E_SONGS/
[音乐格式]
格式=mp3
[最小化]
参数=是
[自动播放]
参数=自动
EOF

e2e_start_in_tray
[ -n "$(e2e_any_main_window)" ] || e2e_fail "the main window was not created"
[ -z "$(e2e_visible_main_window)" ] || e2e_fail "the main window is shown although it starts minimised"

# The song plays: the program has it open and reads on through it, with the window hidden.
e2e_wait 15 "$song to play" e2e_playing_song "$song" >/dev/null
offsets_seen=1
last_offset=$(e2e_open_song | cut -f2)
deadline=$((SECONDS + 15))
while [ "$offsets_seen" -lt 3 ]; do
    [ "$SECONDS" -lt "$deadline" ] || e2e_fail "$song is open but not read on: offset stays at $last_offset"
    sleep 0.2
    open=$(e2e_open_song) || e2e_fail "$song was closed while it should play"
    [ "$(basename "$(cut -f1 <<<"$open")")" = "$song" ] || e2e_fail "another song plays: $open"
    offset=$(cut -f2 <<<"$open")
    if [ "$offset" -gt "$last_offset" ]; then
        offsets_seen=$((offsets_seen + 1))
        last_offset=$offset
    fi
done
e2e_log "$song plays (read up to byte $last_offset) while the window stays hidden"
[ -z "$(e2e_visible_main_window)" ] || e2e_fail "the main window showed up during playback"
e2e_screenshot 1-in-tray

# The tray menu, as a right click on the icon opens it: a new window of the program.
before=$(xdotool search --onlyvisible --class '^tunora$' | sort)
xdotool mousemove --sync $((icon_x + icon_w / 2)) $((icon_y + icon_h / 2)) click 3
new_popup() {
    local id
    for id in $(comm -13 <(echo "$before") <(xdotool search --onlyvisible --class '^tunora$' | sort)); do
        [ "$id" != "$icon" ] && echo "$id" && return 0
    done
    return 1
}
menu=$(e2e_wait 10 'the tray menu' new_popup)
eval "$(xdotool getwindowgeometry --shell "$menu")"
e2e_log "tray menu $menu at $X,$Y size ${WIDTH}x$HEIGHT"
sleep 0.3
e2e_screenshot 2-tray-menu
xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT - quit_item_above_bottom)) click 1

e2e_expect_exit 15 0
[ -n "$(e2e_tray_panel)" ] || e2e_fail "the tray went away with the program"
if e2e_tray_icon >/dev/null; then
    e2e_fail "the tray icon is left behind after 退出"
fi
e2e_screenshot 3-after-exit
e2e_log "PASS"
