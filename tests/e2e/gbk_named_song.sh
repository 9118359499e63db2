#!/usr/bin/env bash
# A song copied from a Windows archive: 晴天.mp3 in a folder 歌曲, both named in GBK (not valid
# UTF-8). Read as a screen reader reads the window, the song-file list, 标签2, 标签1, the song
# list and the search drop-down show 晴天.mp3 and 歌曲, not replacement marks; the song plays,
# takes its marks, is found by typing 晴天 and cut, and the ringtone's name keeps the song's
# own bytes.
#
# Usage: gbk_named_song.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

e2e_in_own_session "$@"

e2e_init gbk_named_song "$1"
e2e_require sox lame
e2e_require_atspi

# Positions in the client area, measured once from a screenshot: the search box's text and
# its drop-down arrow, and the song-file list's first two entries.
search_text=(520 10)
search_arrow=(630 10)
first_song_entry=(532 32)
second_song_entry=(532 47)

gbk_folder=$(printf '\xb8\xe8\xc7\xfa')      # 歌曲
gbk_song=$(printf '\xc7\xe7\xcc\xec').mp3    # 晴天.mp3
folder="$E2E_SONGS/$gbk_folder"
mkdir "$folder"
e2e_make_song "$folder/$gbk_song" 20 440 128
e2e_make_song "$folder/b.mp3" 4 660 64
# The program keeps a folder that is not UTF-8 as its bytes in a UTF-8 file, marked by a BOM.
printf '\xef\xbb\xbf[歌曲目录]\r\n路径=%s/\r\n[音乐格式]\r\n格式=mp3\r\n' "$folder" >"$E2E_SETTINGS"

e2e_start_xvfb
e2e_start_tunora_for_atspi
sleep 0.5
e2e_screenshot 1-listed
tree() { atspi dump >"$E2E_ARTIFACTS/tree.txt" && cat "$E2E_ARTIFACTS/tree.txt"; }
shows() { tree | grep -F "$1"; }

listed=$(atspi list-items 歌曲文件列表 | tr '\n' ' ')
[ "$listed" = "晴天.mp3 b.mp3 " ] || e2e_fail "the song-file list reads: $listed"
shows "'歌曲路径：$E2E_SONGS/歌曲/'" >/dev/null || e2e_fail "标签2 does not show the folder as 歌曲 (tree.txt)"
e2e_log "listed: $listed; 标签2 shows 歌曲"

e2e_double_click "${first_song_entry[@]}"
e2e_wait 15 "晴天.mp3 to play" e2e_playing_song "$gbk_song" >/dev/null
e2e_wait 10 "标签1 to show 晴天.mp3" shows "'歌曲名：晴天.mp3'" >/dev/null
e2e_log "晴天.mp3 plays and 标签1 names it"
sleep 0.5

e2e_mark_and_cut 1.5 2-cut-done
cells=$(atspi list-items 歌曲列表)
grep -qx '晴天.mp3' <<<"$cells" || e2e_fail "the song list's row does not show 晴天.mp3: $cells"
ringtone="$E2E_APP_DIR/[铃声]$gbk_song"
[ -s "$ringtone" ] || e2e_fail "no ringtone named [铃声] + the song's GBK bytes: $(ls "$E2E_APP_DIR" | od -c | head)"
[ ! -e "$E2E_APP_DIR/[铃声]晴天.mp3" ] || e2e_fail "the ringtone was named from the shown text"
sox "$ringtone" -n stat >/dev/null 2>&1 || e2e_fail "the ringtone does not decode"
e2e_log "ringtone [铃声] + GBK 晴天.mp3, $(stat -c %s "$ringtone") bytes"

# The search: with b.mp3 selected, 晴天 typed, the drop-down opened with its arrow, its
# entry chosen: 晴天.mp3 is selected.
e2e_click "${second_song_entry[@]}"
selected_b() { atspi selected-items 歌曲文件列表 | grep -x b.mp3; }
e2e_wait 10 "b.mp3 selected" selected_b >/dev/null
e2e_click "${search_text[@]}"
xdotool type --delay 80 '晴天'
typed() { atspi text 搜索文字 | grep -x '晴天'; }
e2e_wait 10 "晴天 in the search box" typed >/dev/null
e2e_click "${search_arrow[@]}"
found() { atspi list-items 搜索结果 | tr '\n' ' '; }
dropdown=$(e2e_wait 10 "the drop-down" found)
sleep 0.3
e2e_screenshot 3-search
[ "$dropdown" = "晴天.mp3 " ] || e2e_fail "the drop-down lists: $dropdown"
xdotool key Down Return
chosen() { atspi selected-items 歌曲文件列表; }
selected=$(e2e_wait 10 "the chosen song selected" chosen)
[ "$selected" = "晴天.mp3" ] || e2e_fail "the search chose: $selected"
e2e_screenshot 4-chosen
e2e_log "the search finds 晴天 and selects it"
e2e_log "PASS"
