#!/usr/bin/env bash
# The whole job with keys alone, as a user who does not use the mouse: Tab to the song-file
# list and Enter plays its first song, Down and Enter the next; when that one ends and the
# player moves on by itself, the focus is still in the list. Back on the player face, I and O mark its start and end while it plays; Down in
# the end mark's position box steps the end mark earlier; Space selects the song list's row
# and P previews its end, which stops at the end mark; Ctrl+X cuts the row and Ctrl+Q ends
# the program. The ringtone is the marked stretch of the song, byte for byte. Where the
# focus is and what the song list holds is read as a screen reader reads it.
#
# Usage: keys_only.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

# A session bus of the run's own, so the accessibility bus it starts is ours alone.
e2e_in_own_session "$@"

e2e_init keys_only "$1"
e2e_require sox lame python3
e2e_require_atspi

# 30 s at 128 kbit/s: 16 bytes per millisecond. Its name sorts last, so the scan lists it first.
song="铃音 键.mp3"
e2e_make_song "$E2E_SONGS/$song" 30 440 128
e2e_make_song "$E2E_SONGS/Alpha 6s.mp3" 6 660 64
e2e_song_settings "$E2E_SONGS" "mp3"

e2e_start_xvfb
e2e_start_tunora_for_atspi
# What a window manager does for a new window: it gets the keyboard. No click.
xdotool windowfocus --sync "$E2E_WINDOW"

focused_is() { [ "$(atspi focused 2>/dev/null)" = "$1" ] && echo "$1"; }
wait_focus() { e2e_wait 10 "the focus on $1" focused_is "$1" >/dev/null; }
key() { xdotool key "$@"; }
tabs() { # count
    local i
    for ((i = 0; i < $1; i++)); do key Tab; done
}
# The song list's row as "start end cut-length song-length", once it has both marks.
song_row() {
    atspi list-items 歌曲列表 | awk -v song="$song" '
        $0 == song { row = 1; n = 0; next }
        row && n < 4 { cells[n++] = $0 }
        END { if (n == 4 && cells[0] != "" && cells[1] != "") print cells[0], cells[1], cells[2], cells[3]; else exit 1 }'
}

# The window's first control takes the focus: the player face. Two tabs on, the song-file list.
wait_focus 播放器
tabs 2
wait_focus 歌曲文件列表
key Return
e2e_wait 15 "$song to play" e2e_playing_song "$song" >/dev/null
played_at=$(date +%s.%N)
e2e_log "Enter in the song-file list plays $song"
# The focus stays where the user put it, so the list goes on answering its keys.
sleep 0.5
[ "$(atspi focused 2>/dev/null)" = 歌曲文件列表 ] || e2e_fail "playing took the focus from the song-file list to $(atspi focused 2>/dev/null)"
key Down Return
e2e_wait 15 "Alpha 6s.mp3 to play" e2e_playing_song "Alpha 6s.mp3" >/dev/null
e2e_log "Down and Enter play the next song"
# It ends and the player moves on to the list's next song (the first again) by itself.
e2e_wait 20 "the player to move on to $song by itself" e2e_playing_song "$song" >/dev/null
played_at=$(date +%s.%N)
[ "$(atspi focused 2>/dev/null)" = 歌曲文件列表 ] || e2e_fail "the player's own move took the focus to $(atspi focused 2>/dev/null)"
e2e_log "after the player moved on by itself the focus is still in the song-file list"
# Back to the player face, two controls before the list.
key shift+Tab shift+Tab
wait_focus 播放器

# Marks at about 4 s and 6.5 s into the song, each at its key press.
sleep "$(awk -v t="$played_at" -v now="$(date +%s.%N)" 'BEGIN { d = t + 4 - now; print (d > 0 ? d : 0) }')"
key i
start_key=$(date +%s.%N)
sleep 2.5
key o
end_key=$(date +%s.%N)
read -r start end0 _ length < <(e2e_wait 10 'the row with both marks' song_row)
e2e_log "marked by keys: start $start, end $end0, song length $length"
e2e_screenshot 1-marked
# The time between the marks is the time between the key presses.
e2e_log "marks $(awk -v s="$start" -v e="$end0" 'BEGIN { print e - s }') s apart, keys $(awk -v a="$start_key" -v b="$end_key" 'BEGIN { printf "%.3f", b - a }') s apart"
awk -v s="$start" -v e="$end0" -v a="$start_key" -v b="$end_key" \
    'BEGIN { d = (e - s) - (b - a); exit !(d > -0.15 && d < 0.15) }' ||
    e2e_fail "the marks are $(awk -v s="$start" -v e="$end0" 'BEGIN { print e - s }') s apart, the keys $(awk -v a="$start_key" -v b="$end_key" 'BEGIN { print b - a }') s"

# Seven tabs from the player face: search box, song-file list, start mark button, its box,
# the step box, end mark button, the end mark's box. Down steps it 0.2 s earlier.
tabs 7
wait_focus 结束时间定位
key Down
end=$(awk -v e="$end0" 'BEGIN { printf "%.2f", e - 0.2 }' | sed 's/0*$//; s/\.$//')
stepped() { local row; row=$(song_row) && [ "$(cut -d' ' -f2 <<<"$row")" = "$end" ] && echo "$row"; }
e2e_wait 10 "the end mark stepped to $end" stepped >/dev/null
e2e_log "Down in the end mark's box stepped it to $end"

# On to the song list: Space selects its row, P previews the last 3 s before the end mark.
tabs 7
wait_focus 歌曲列表
key space
key p
preview_key=$(date +%s.%N)
sleep 1
e2e_playing_song "$song" >/dev/null || e2e_fail "the preview does not play $song"
e2e_wait 10 'the preview to stop at the end mark' e2e_gone e2e_open_song >/dev/null
stopped_at=$(date +%s.%N)
awk -v a="$preview_key" -v b="$stopped_at" 'BEGIN { d = b - a; exit !(d > 2.4 && d < 4.5) }' ||
    e2e_fail "the preview stopped $(awk -v a="$preview_key" -v b="$stopped_at" 'BEGIN { print b - a }') s after P, not about 3 s"
sleep 1
! e2e_open_song >/dev/null || e2e_fail "playback went on after the end mark"
e2e_log "P previewed the end and playback stopped at the end mark"
e2e_screenshot 2-previewed

# Ctrl+X cuts the selected row; Return closes the outcome box.
key ctrl+x
box=$(e2e_wait 15 'the message box 提示' e2e_message_box 提示)
e2e_screenshot 3-cut
e2e_dismiss_box "$box"
e2e_wait 10 'the message box to close' e2e_gone e2e_message_box 提示 >/dev/null

ringtone="$E2E_APP_DIR/[铃声]$song"
[ -s "$ringtone" ] || e2e_fail "no ringtone next to the program"
# Byte for byte the song's audio from the start mark, as long as the stepped marks say
# (16 bytes per millisecond; the audio begins after the encoder's one info frame).
python3 - "$E2E_SONGS/$song" "$ringtone" "$start" "$end" <<'EOF' || e2e_fail "the ringtone is not the marked stretch"
import sys
song, tone = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
start, end = float(sys.argv[3]), float(sys.argv[4])
length = (end - start) * 16000
at = song.find(tone)
print("ringtone: %d bytes at offset %d; marks %.2f to %.2f give %.0f bytes from about %.0f"
      % (len(tone), at, start, end, length, start * 16000), file=sys.stderr)
if at < 0 or abs(len(tone) - length) > 2 or not 0 <= at - start * 16000 <= 420:
    sys.exit(1)
EOF
e2e_log "the ringtone is the marked stretch"

# The closed box leaves the keyboard to nobody; a window manager gives it back to the window.
xdotool windowfocus --sync "$E2E_WINDOW"
key ctrl+q
e2e_log "Ctrl+Q pressed"
e2e_expect_exit 30 0
e2e_log "PASS"
