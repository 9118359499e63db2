#!/usr/bin/env bash
# A folder named in GBK, as a Windows archive leaves it, chosen with 初始化设置 → 歌曲目录:
# the chooser lists it, the song in it fills the song-file list and plays, and the settings
# file holds the folder's own bytes.
#
# Usage: choose_gbk_folder.sh <tunora binary> <folder of fixture songs>
source "$(dirname "$0")/lib.sh"

e2e_init choose_gbk_folder "$1"
fixtures=$2

# Positions measured once from a screenshot, from the main window's top left corner: the
# menu 初始化设置 in the menu bar and its first item 歌曲目录; and in the client area the
# song-file list's first entry.
settings_menu=(30 10)
song_folder_item=(58 31)
first_song_entry=(532 32)

gbk_name=$(printf '\xb8\xe8\xc7\xfa') # 歌曲 in GBK: not valid UTF-8
chosen="$E2E_CWD/$gbk_name"
mkdir "$chosen"
cp "$fixtures/tone-2s.mp3" "$chosen/a.mp3"
# The chooser opens on the song folder, here the program's current directory.
e2e_song_settings "$E2E_CWD" "mp3"

# The song file the program has open, compared as bytes.
plays_chosen_song() {
    (
        export LC_ALL=C
        for fd in /proc/"$E2E_TUNORA_PID"/fd/*; do
            [ "$(readlink "$fd" 2>/dev/null)" = "$chosen/a.mp3" ] && { echo yes; exit 0; }
        done
        exit 1
    )
}

e2e_start_xvfb
e2e_start_tunora
e2e_wait_main_window 30
sleep 0.5
xdotool mousemove --sync $((E2E_WX + settings_menu[0])) $((E2E_WY + settings_menu[1])) click 1
sleep 0.5
xdotool mousemove --sync $((E2E_WX + song_folder_item[0])) $((E2E_WY + song_folder_item[1])) click 1
e2e_wait 10 "the folder chooser" e2e_message_box "选择音乐文件夹" >/dev/null
sleep 0.3
e2e_screenshot 1-chooser

# The list has the focus on its first entry, "..": the next one is the GBK folder. Select
# it, then press 确定.
xdotool key Down Tab space
e2e_wait 10 "the chooser to close" e2e_gone e2e_message_box "选择音乐文件夹" >/dev/null
sleep 0.5
e2e_screenshot 2-scanned

LC_ALL=C grep -qF "=$chosen/" "$E2E_SETTINGS" \
    || e2e_fail "the settings file does not hold the chosen folder's bytes: $(od -c "$E2E_SETTINGS" | head -20)"
e2e_double_click "${first_song_entry[@]}"
e2e_wait 15 "the song of the chosen folder to play" plays_chosen_song >/dev/null
e2e_screenshot 3-playing
e2e_log "PASS"
