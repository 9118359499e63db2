#!/usr/bin/env bash
# The program copied into a folder whose name is not UTF-8 (程序 in GBK, as a Windows
# archive unpacks it) and started there from another current directory: it finds what lies
# beside it (its settings file, its modules), fills the song-file list from the settings,
# plays a FLAC song, and a cut of it (through the stream-copy module beside the program)
# lands in that folder under its own bytes and not in the current directory. A cut that
# cannot be moved there stays in the current directory, and its box says so.
#
# Usage: gbk_program_folder.sh <tunora binary> <folder of fixture songs>
source "$(dirname "$0")/lib.sh"

gbk_name=$(printf '\xb3\xcc\xd0\xf2') # 程序 in GBK
e2e_init gbk_program_folder "$1" "$gbk_name"
e2e_require sox ffmpeg ffprobe
LC_ALL=C.UTF-8 iconv -f UTF-8 -t UTF-8 <<<"$E2E_APP_DIR" >/dev/null 2>&1 &&
    e2e_fail "the program folder's name is valid UTF-8; the run would prove nothing"

song_file_entry=(532 32) # first entry of the song-file list, in the client area
song="铃音.flac"
sox -D -n -r 44100 -c 2 -b 16 "$e2e_dir/tone.wav" synth 20 sine 440 vol 0.7
ffmpeg -nostdin -v error -i "$e2e_dir/tone.wav" -c:a flac "$E2E_SONGS/$song"

e2e_song_settings "$E2E_SONGS" "flac"

e2e_start_xvfb
e2e_start_tunora
e2e_wait_main_window 30
sleep 0.5
e2e_screenshot 1-started
# The start-up scan wrote the folder back into the settings file in the program's folder.
grep -q '参数=循环' "$E2E_SETTINGS" || e2e_fail "start-up wrote nothing into the settings file beside the program"

e2e_double_click "${song_file_entry[@]}"
e2e_wait 15 "$song to play" e2e_playing_song "$song" >/dev/null
e2e_log "$song plays"
sleep 1

e2e_mark_and_cut 2 2-cut-done

ringtone="$E2E_APP_DIR/[铃声]$song"
[ -s "$ringtone" ] || e2e_fail "no ringtone in the program's folder: $(ls "$E2E_APP_DIR" "$E2E_CWD" | LC_ALL=C cat -v)"
[ ! -e "$E2E_CWD/[铃声]$song" ] || e2e_fail "the ringtone stayed in the current directory"
format=$(ffprobe -v error -show_entries format=format_name -of default=nw=1:nk=1 "$ringtone") ||
    e2e_fail "ffprobe cannot read the ringtone"
[ "$format" = flac ] || e2e_fail "the ringtone is not FLAC but '$format'"
seconds=$(ffmpeg -nostdin -v error -i "$ringtone" -f s16le -ac 1 -ar 8000 - | wc -c | awk '{ print $1 / 16000 }')
e2e_log "ringtone in the GBK-named program folder: $(stat -c %s "$ringtone") bytes, $seconds s"
awk -v s="$seconds" -v from="$E2E_MARKED_FROM" -v to="$E2E_MARKED_TO" '
    BEGIN { if (s < 1 || s > to - from + 0.6) { print "not the marked time"; exit 1 } }' ||
    e2e_fail "the ringtone does not hold the marked time ($seconds s)"
! grep -q 'missing' "$e2e_dir/tunora.log" || e2e_fail "the program missed a file beside it: $(cat "$e2e_dir/tunora.log")"

# A folder of the ringtone's name in the program's folder stops the move: the next cut stays
# whole in the current directory, and its box says so (screenshot 3).
rm "$ringtone"
mkdir "$ringtone"
e2e_click "${E2E_CUT_ONE_BUTTON[@]}"
box=$(e2e_wait 15 'the message box 提示' e2e_message_box 提示)
sleep 0.3
e2e_screenshot 3-cut-left-in-current-directory
e2e_dismiss_box "$box"
e2e_wait 10 'the message box to close' e2e_gone e2e_message_box 提示 >/dev/null
[ -s "$E2E_CWD/[铃声]$song" ] || e2e_fail "the ringtone that could not be moved is gone: $(ls "$E2E_CWD")"
[ -d "$ringtone" ] || e2e_fail "the folder in the ringtone's place was replaced"
e2e_log "a ringtone that cannot be moved stays in the current directory"

e2e_x11 close "$E2E_WINDOW"
e2e_expect_exit 15 0
e2e_log "PASS"
