#!/usr/bin/env bash
# Start minimised without auto-play: the program waits in the tray and plays nothing; a
# click on the tray icon brings the window back centred on the screen and removes the icon;
# closing the window then ends the program with exit code 0.
#
# Usage: tray_restore_close.sh <tunora binary> <folder of fixture songs>
source "$(dirname "$0")/lib.sh"

e2e_init tray_restore_close "$1"
fixtures=$2
e2e_require iconv trayer

cp "$fixtures/tone-1s.mp3" "$fixtures/tone-2s.mp3" "$E2E_SONGS/"
e2e_settings_file UTF-8 <<EOF
[歌曲目录]
路径=$E2E_SONGS/
[音乐格式]
格式=mp3
[最小化]
参数=是
[自动播放]
参数=不自动
EOF

e2e_start_in_tray
[ -z "$(e2e_visible_main_window)" ] || e2e_fail "the main window is shown although it starts minimised"
sleep 1.5
if open=$(e2e_open_song); then
    e2e_fail "a song plays without auto-play: $open"
fi
e2e_screenshot 1-in-tray

# A left click on the icon restores the window.
xdotool mousemove --sync $((icon_x + icon_w / 2)) $((icon_y + icon_h / 2)) click 1
e2e_wait_main_window 15
read -r screen_w screen_h < <(xdotool getdisplaygeometry)
centre_off_x=$(( (E2E_WX + E2E_WW / 2) - screen_w / 2 ))
centre_off_y=$(( (E2E_WY + E2E_WH / 2) - screen_h / 2 ))
[ "${centre_off_x#-}" -le 2 ] && [ "${centre_off_y#-}" -le 2 ] ||
    e2e_fail "the restored window is not centred: off by $centre_off_x,$centre_off_y"
e2e_wait 10 'the tray icon to go' e2e_gone e2e_tray_icon >/dev/null
sleep 0.3
e2e_screenshot 2-restored
e2e_log "the window is back, centred, and the tray icon is gone"

e2e_x11 close "$E2E_WINDOW"
e2e_expect_exit 15 0
e2e_log "PASS"
