#!/usr/bin/env bash
# A user's first ringtone: the program starts on a folder of songs, the song-file list fills,
# a double-click plays a song, the two mark buttons make its row, 单个剪切 writes
# "[铃声]" + the song's name next to the program and says "剪切成功！", and the ringtone
# decodes as sound. Closing the window then ends the program with exit code 0.
#
# Usage: cut_one_song.sh <tunora binary> <folder of fixture songs>
source "$(dirname "$0")/lib.sh"

e2e_init cut_one_song "$1"
fixtures=$2
e2e_require sox lame iconv

# Positions in the main window's client area, measured once from a screenshot: the
# song-file list's first entry is centred 32 px down and each entry is 15 px high.
song_file_entry_x=532
song_file_entry_y() { echo $((32 + 15 * ($1 - 1))); }

# The song to cut: 20 s at 128 kbit/s, 16 bytes per millisecond. Its name sorts last, so it
# is the first entry of the list (the scan puts each song it finds on top).
song="铃音 长.mp3"
kbps=128
e2e_make_song "$E2E_SONGS/$song" 20 440 "$kbps"
e2e_make_song "$E2E_SONGS/Alpha 6s.mp3" 6 660 64
cp "$fixtures/tone-1s.mp3" "$fixtures/tone-2s.mp3" "$E2E_SONGS/"
# Not a listed format: were it listed, it would come between tone-1s.mp3 and Alpha 6s.mp3.
sox -D -n -r 8000 -c 1 "$E2E_SONGS/cover.wav" synth 1 sine 300
expected_order=("$song" tone-2s.mp3 tone-1s.mp3 "Alpha 6s.mp3")

e2e_song_settings "$E2E_SONGS" "mp3"

e2e_start_xvfb
e2e_start_tunora
e2e_wait_main_window 30
sleep 0.5
e2e_screenshot 1-started

# The scan that filled the list wrote the folder back; start-up wrote the play mode.
grep -qx "路径=$E2E_SONGS/" "$E2E_SETTINGS" || e2e_fail "the settings file lost the song folder"
grep -qx "参数=循环" "$E2E_SETTINGS" || e2e_fail "start-up did not write the loop play mode"

# The list holds the mp3 songs in the scan's order and nothing else: a double-click on the
# last entry plays Alpha 6s.mp3 (the player keeps the file it plays open).
last=${#expected_order[@]}
e2e_double_click "$song_file_entry_x" "$(song_file_entry_y "$last")"
e2e_wait 15 "${expected_order[last - 1]} to play" e2e_playing_song "${expected_order[last - 1]}" >/dev/null
e2e_log "entry $last plays ${expected_order[last - 1]}"

e2e_double_click "$song_file_entry_x" "$(song_file_entry_y 1)"
e2e_wait 15 "$song to play" e2e_playing_song "$song" >/dev/null
e2e_log "entry 1 plays $song"
sleep 0.5

# --- Marks and the single cut (the cut is the last part of this run) ---
e2e_mark_and_cut 1.5 2-cut-done
e2e_log "the cut reported its outcome and the box was dismissed"

ringtone="$E2E_APP_DIR/[铃声]$song"
[ -s "$ringtone" ] || e2e_fail "no ringtone next to the program: $(ls "$E2E_APP_DIR" "$E2E_CWD")"
[ ! -e "$E2E_CWD/[铃声]$song" ] || e2e_fail "the ringtone stayed in the current directory"
bytes=$(stat -c %s "$ringtone")
[ "$bytes" -lt "$(stat -c %s "$E2E_SONGS/$song")" ] || e2e_fail "the ringtone is not shorter than its song"

# It decodes as sound, and its length agrees with its size at the song's bit rate (a slice
# of the audio, not of a tag or of another file), and with the time between the two marks.
stats=$(sox "$ringtone" -n stat 2>&1) || e2e_fail "sox cannot decode the ringtone: $stats"
seconds=$(awk '/^Length \(seconds\)/ { print $3 }' <<<"$stats")
rms=$(awk '/^RMS +amplitude/ { print $3 }' <<<"$stats")
e2e_log "ringtone: $bytes bytes, decodes to $seconds s, RMS amplitude $rms"
awk -v s="$seconds" -v b="$bytes" -v k="$kbps" -v r="$rms" -v from="$E2E_MARKED_FROM" -v to="$E2E_MARKED_TO" '
    BEGIN {
        by_size = b * 8 / (k * 1000)
        if (s < 0.5) { print "shorter than half a second"; exit 1 }
        if (s > to - from + 1.5) { print "longer than the time between the marks"; exit 1 }
        if (s < by_size - 0.2 || s > by_size + 0.1) { print "length does not match the size, " by_size " s"; exit 1 }
        if (r < 0.1) { print "silent"; exit 1 }
    }' || e2e_fail "the ringtone does not hold the marked sound"

# Closing the window ends the program.
e2e_x11 close "$E2E_WINDOW"
e2e_expect_exit 15 0
e2e_log "PASS"
