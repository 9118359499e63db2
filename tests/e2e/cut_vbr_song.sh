#!/usr/bin/env bash
# A ringtone of a VBR song (LAME -V2, quiet in its first 10 s and loud with noise after, so its
# bytes are far from even over time) holds what was marked: the song plays, the two mark
# buttons make its row, the marks are typed into the two 定位 boxes, 单个剪切 says "剪切成功！",
# and the ringtone, decoded, holds the typed seconds of the song (its pitch steps every
# second, so the decoded pitch tells which seconds it holds) and says its own length.
#
# Usage: cut_vbr_song.sh <tunora binary> <folder of fixture songs> <tunora_heard_seconds>
source "$(dirname "$0")/lib.sh"

e2e_init cut_vbr_song "$1"
fixtures=$2
heard_seconds=$3
e2e_require ffmpeg ffprobe lame
start=8.3 # in the quiet part, 1.7 s before the song gets loud
end=13.6

song="铃音 VBR.mp3"
sh "$fixtures/make_fixtures.sh" mpeg "$e2e_dir" || e2e_fail "make_fixtures.sh mpeg could not make the song"
cp "$e2e_dir/vbr-a.mp3" "$E2E_SONGS/$song"

e2e_song_settings "$E2E_SONGS" "mp3"

e2e_start_xvfb
e2e_start_tunora
e2e_wait_main_window 30
sleep 0.5
e2e_double_click 532 32 # the song-file list's only entry
e2e_wait 15 "$song to play" e2e_playing_song "$song" >/dev/null
e2e_log "$song plays"
sleep 0.5

# The marks taken from the player make the row; then the typed marks replace them.
before=$(e2e_region_sum "${E2E_END_BOX[@]}")
e2e_click "${E2E_START_MARK_BUTTON[@]}"
sleep 0.3
e2e_click "${E2E_END_MARK_BUTTON[@]}"
e2e_wait_region_change 10 'the end mark' "$before" "${E2E_END_BOX[@]}"
type_mark() { # box x y width height, text
    local before
    before=$(e2e_region_sum "$1" "$2" "$3" "$4")
    e2e_click $(($1 + $3 / 2)) $(($2 + $4 / 2))
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 60 "$5"
    e2e_wait_region_change 10 "the typed mark $5" "$before" "$1" "$2" "$3" "$4"
}
type_mark "${E2E_START_BOX[@]}" "$start"
type_mark "${E2E_END_BOX[@]}" "$end"
sleep 0.3
e2e_screenshot 1-marks-typed

before=$(e2e_region_sum "${E2E_TOP_ROW_NAME[@]}")
e2e_click "${E2E_SONG_LIST_TOP_ROW[@]}"
e2e_wait_region_change 10 'the row to be selected' "$before" "${E2E_TOP_ROW_NAME[@]}"
e2e_click "${E2E_CUT_ONE_BUTTON[@]}"
box=$(e2e_wait 15 'the message box 提示' e2e_message_box 提示)
sleep 0.3
e2e_screenshot 2-cut-done
e2e_dismiss_box "$box"
e2e_wait 10 'the message box to close' e2e_gone e2e_message_box 提示 >/dev/null

ringtone="$E2E_APP_DIR/[铃声]$song"
[ -s "$ringtone" ] || e2e_fail "no ringtone next to the program: $(ls "$E2E_APP_DIR" "$E2E_CWD")"
complaints=$("$heard_seconds" "$ringtone" 2>&1 >"$e2e_dir/heard") || e2e_fail "the ringtone does not decode: $complaints"
[ -z "$complaints" ] || e2e_fail "the decoder complains of the ringtone: $complaints"
read -r song_index from to file_from file_to extra <"$e2e_dir/heard" || e2e_fail "nothing of the song is heard"
[ "$(wc -l <"$e2e_dir/heard")" -eq 1 ] || e2e_fail "more than one stretch heard: $(cat "$e2e_dir/heard")"
decoded=$(ffmpeg -nostdin -v error -i "$ringtone" -f s16le -ac 1 -ar 8000 - | wc -c | awk '{ print $1 / 16000 }')
said=$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$ringtone")
e2e_log "marked $start to $end; the ringtone holds seconds $from to $to of the song" \
    "(heard from $file_from s to $file_to s of its $decoded s; it says it is $said s long)"
awk -v f="$from" -v t="$to" -v s="$start" -v e="$end" -v d="$decoded" -v p="$said" '
    function abs(x) { return x < 0 ? -x : x }
    BEGIN {
        if (abs(f - s) > 0.05 || abs(t - e) > 0.05) { print "not the marked seconds"; exit 1 }
        if (abs(p - d) > d * 0.01) { print "its length is not what it says"; exit 1 }
    }' || e2e_fail "the ringtone holds $from to $to (said $said s, decodes $decoded s)"

e2e_x11 close "$E2E_WINDOW"
e2e_expect_exit 15 0
e2e_log "PASS"
