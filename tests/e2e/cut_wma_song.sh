#!/usr/bin/env bash
# A ringtone cut from a WMA song plays: the song is marked and cut through the window like an
# MP3, "[铃声]" + its name is an ASF file that decodes to about the marked time, and the
# program itself, pointed at the folder that holds the ringtone, opens and plays it.
#
# Usage: cut_wma_song.sh <tunora binary> <folder of fixture songs>
source "$(dirname "$0")/lib.sh"

e2e_init cut_wma_song "$1"
fixtures=$2
e2e_require sox ffmpeg ffprobe

# Client-area positions, as measured for cut_one_song.sh.
song_file_entry=(532 32)      # first entry of the song-file list
start_mark_button=(76 164)    # 按钮3 开始标记↓
end_mark_button=(76 196)      # 按钮4 结束标记↑
cut_one_button=(144 228)      # 按钮5 单个剪切
song_list_top_row=(116 275)   # 超级列表框1, first row
start_box=(304 152 40 24)     # 编辑框3
end_box=(304 184 40 24)       # 编辑框4
top_row_name=(20 268 180 14)  # the first row's 歌曲名 cell

# 20 s of WMA as an encoder writes it by default (3200-byte packets, 128 kbit/s). The scan
# lists wma after mp3, so the WMA song is the list's first entry.
song="铃音 长.wma"
sox -D -n -r 44100 -c 2 -b 16 "$e2e_dir/tone.wav" synth 20 sine 440 vol 0.7
ffmpeg -nostdin -v error -i "$e2e_dir/tone.wav" -c:a wmav2 -b:a 128k "$E2E_SONGS/$song"
cp "$fixtures/tone-1s.mp3" "$E2E_SONGS/"

e2e_settings_file UTF-8 <<SETTINGS
[歌曲目录]
路径=$E2E_SONGS/
[音乐格式]
格式=mp3,wma
SETTINGS

e2e_start_xvfb
e2e_start_tunora
e2e_wait_main_window 30
sleep 0.5
e2e_double_click "${song_file_entry[@]}"
e2e_wait 15 "$song to play" e2e_playing_song "$song" >/dev/null
e2e_log "$song plays"
sleep 1

before=$(e2e_region_sum "${start_box[@]}")
e2e_click "${start_mark_button[@]}"
marked_from=$(date +%s.%N)
e2e_wait_region_change 10 'the start mark' "$before" "${start_box[@]}"
sleep 2
before=$(e2e_region_sum "${end_box[@]}")
e2e_click "${end_mark_button[@]}"
e2e_wait_region_change 10 'the end mark' "$before" "${end_box[@]}"
marked_to=$(date +%s.%N)
before=$(e2e_region_sum "${top_row_name[@]}")
e2e_click "${song_list_top_row[@]}"
e2e_wait_region_change 10 'the row to be selected' "$before" "${top_row_name[@]}"
e2e_click "${cut_one_button[@]}"
box=$(e2e_wait 15 'the message box 提示' e2e_message_box 提示)
sleep 0.3
e2e_screenshot 1-cut-done
e2e_dismiss_box "$box"
e2e_wait 10 'the message box to close' e2e_gone e2e_message_box 提示 >/dev/null

ringtone_name="[铃声]$song"
ringtone="$E2E_APP_DIR/$ringtone_name"
[ -s "$ringtone" ] || e2e_fail "no ringtone next to the program: $(ls "$E2E_APP_DIR" "$E2E_CWD")"
format=$(ffprobe -v error -show_entries format=format_name -of default=nw=1:nk=1 "$ringtone") ||
    e2e_fail "ffprobe cannot read the ringtone"
[ "$format" = asf ] || e2e_fail "the ringtone is not an ASF file but '$format'"
seconds=$(ffmpeg -nostdin -v error -i "$ringtone" -f s16le -ac 1 -ar 8000 - | wc -c | awk '{ print $1 / 16000 }')
e2e_log "ringtone: $(stat -c %s "$ringtone") bytes of $format, decodes to $seconds s"
awk -v s="$seconds" -v from="$marked_from" -v to="$marked_to" '
    BEGIN { if (s < 1 || s > to - from + 0.6) { print "not the marked time"; exit 1 } }' ||
    e2e_fail "the ringtone does not hold the marked time ($seconds s)"

e2e_x11 close "$E2E_WINDOW"
e2e_expect_exit 15 0

# The program again, on the folder that holds the ringtone: the engine opens it and keeps it
# open while it plays (a file it cannot decode is closed at once).
e2e_settings_file UTF-8 <<SETTINGS
[歌曲目录]
路径=$E2E_APP_DIR/
[音乐格式]
格式=wma
SETTINGS
E2E_SONGS=$E2E_APP_DIR # where e2e_playing_song looks for the open file
e2e_start_tunora
e2e_wait_main_window 30
sleep 0.5
e2e_double_click "${song_file_entry[@]}"
e2e_wait 15 "the ringtone to play" e2e_playing_song "$ringtone_name" >/dev/null
sleep 1
e2e_playing_song "$ringtone_name" >/dev/null || e2e_fail "the engine closed the ringtone at once"
e2e_screenshot 2-ringtone-plays
e2e_log "the engine plays the ringtone"
e2e_x11 close "$E2E_WINDOW"
e2e_expect_exit 15 0
e2e_log "PASS"
