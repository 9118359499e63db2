#!/usr/bin/env bash
# A new user's first run: the settings file is the one the build put next to the program
# (this run does not write one), the user picks a folder of MP3 files through 初始化设置 →
# 歌曲目录, and the song-file list shows them. The songs are read from the list as a screen
# reader reads it, on the run's own accessibility bus.
#
# Usage: first_run_songs.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

e2e_in_own_session "$@"

built_settings="$(dirname "$1")/初始化配置.ini"
e2e_init first_run_songs "$1"
e2e_require sox lame
e2e_require_atspi

[ -f "$built_settings" ] || e2e_fail "the build put no settings file next to the program"
cp "$built_settings" "$E2E_SETTINGS"

e2e_make_song "$E2E_SONGS/first.mp3" 2 440 64
e2e_make_song "$E2E_SONGS/second.mp3" 2 550 64
sox -D -n -r 8000 -c 1 "$E2E_SONGS/notes.au" synth 1 sine 300   # not a listed format

e2e_start_xvfb
e2e_start_tunora_for_atspi
[ -z "$(atspi list-items 歌曲文件列表)" ] || e2e_fail "the song-file list is not empty at the first start"

# 初始化设置 is the menu bar's only entry, at its left end; 歌曲目录 is its first item.
menu_bar_y=$(( (E2E_WH - E2E_CLIENT_HEIGHT) / 2 ))
xdotool mousemove --sync $((E2E_WX + 30)) $((E2E_WY + menu_bar_y)) click 1
sleep 0.5
xdotool mousemove --sync $((E2E_WX + 40)) $((E2E_WY + menu_bar_y * 2 + 12)) click 1
folder_dialog() { xdotool search --onlyvisible --name '^选择音乐文件夹$' 2>/dev/null | head -n 1; }
dialog=$(e2e_wait 15 "the folder dialog" folder_dialog)
sleep 0.5
e2e_screenshot folder-dialog
# The list of subfolders has the focus, and the path box is before it: type the folder over
# the path shown, go there with Return, then press 确定, which follows the list.
xdotool key shift+Tab ctrl+a
xdotool type --delay 20 "$E2E_SONGS"
xdotool key Return
sleep 0.3
e2e_screenshot folder-typed
xdotool key Tab Tab space
e2e_wait 15 "the folder dialog to close" e2e_gone folder_dialog >/dev/null
e2e_log "folder dialog $dialog closed"

listed() { atspi list-items 歌曲文件列表 | sort | tr '\n' ' '; }
has_both() { local now; now=$(listed); [ "$now" = "first.mp3 second.mp3 " ] && echo "$now"; }
songs=$(e2e_wait 15 "the two songs in the song-file list" has_both)
e2e_screenshot songs-listed
e2e_log "listed: $songs"
# The program never writes the formats; they still come from the build's file.
iconv -f GBK -t UTF-8 "$E2E_SETTINGS" | grep -qx $'格式=mp3,wma,wav,flac,ogg,m4a\r' || e2e_fail "the formats are gone from the settings file"
e2e_log "PASS"
