#!/usr/bin/env bash
# A ringtone cut from a song in a container of its own (WMA, FLAC) plays: the song is marked
# and cut through the window like an MP3, "[铃声]" + its name is a file of the same container
# that decodes to about the marked time, and the program itself, pointed at the folder that
# holds the ringtone, opens and plays it. WMA is cut by the program's own ASF code; FLAC goes
# through the stream-copy module the program loads on the first such cut.
#
# Usage: cut_container_song.sh <tunora binary> <folder of fixture songs> wma|flac
source "$(dirname "$0")/lib.sh"

kind=$3
e2e_init "cut_${kind}_song" "$1"
fixtures=$2
e2e_require sox ffmpeg ffprobe
case "$kind" in
    # As an encoder writes WMA by default: 3200-byte packets, 128 kbit/s.
    wma) encoder=(-c:a wmav2 -b:a 128k) format_name=asf ;;
    flac) encoder=(-c:a flac) format_name=flac ;;
    *) e2e_fail "unknown container kind '$kind'" ;;
esac

song_file_entry=(532 32)      # first entry of the song-file list, in the client area

# 20 s of song. The scan lists the second format after mp3, so this song is the list's first
# entry.
song="铃音 长.$kind"
sox -D -n -r 44100 -c 2 -b 16 "$e2e_dir/tone.wav" synth 20 sine 440 vol 0.7
ffmpeg -nostdin -v error -i "$e2e_dir/tone.wav" "${encoder[@]}" "$E2E_SONGS/$song"
cp "$fixtures/tone-1s.mp3" "$E2E_SONGS/"

e2e_song_settings "$E2E_SONGS" "mp3,$kind"

e2e_start_xvfb
e2e_start_tunora
e2e_wait_main_window 30
sleep 0.5
e2e_double_click "${song_file_entry[@]}"
e2e_wait 15 "$song to play" e2e_playing_song "$song" >/dev/null
e2e_log "$song plays"
sleep 1

e2e_mark_and_cut 2 1-cut-done

ringtone_name="[铃声]$song"
ringtone="$E2E_APP_DIR/$ringtone_name"
[ -s "$ringtone" ] || e2e_fail "no ringtone next to the program: $(ls "$E2E_APP_DIR" "$E2E_CWD")"
format=$(ffprobe -v error -show_entries format=format_name -of default=nw=1:nk=1 "$ringtone") ||
    e2e_fail "ffprobe cannot read the ringtone"
[ "$format" = "$format_name" ] || e2e_fail "the ringtone is not of format $format_name but '$format'"
seconds=$(ffmpeg -nostdin -v error -i "$ringtone" -f s16le -ac 1 -ar 8000 - | wc -c | awk '{ print $1 / 16000 }')
e2e_log "ringtone: $(stat -c %s "$ringtone") bytes of $format, decodes to $seconds s"
awk -v s="$seconds" -v from="$E2E_MARKED_FROM" -v to="$E2E_MARKED_TO" '
    BEGIN { if (s < 1 || s > to - from + 0.6) { print "not the marked time"; exit 1 } }' ||
    e2e_fail "the ringtone does not hold the marked time ($seconds s)"

e2e_x11 close "$E2E_WINDOW"
e2e_expect_exit 15 0

# The program again, on the folder that holds the ringtone: the engine opens it and keeps it
# open while it plays (a file it cannot decode is closed at once).
e2e_song_settings "$E2E_APP_DIR" "$kind"
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
