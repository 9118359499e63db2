#!/usr/bin/env bash
# The seek strip of the real program: a played song that is quiet, loud in its middle third
# and quiet again shows its loud middle; the current song's marks show as a band over the
# marked seconds; dragging the band's start edge moves 开始时间 (its label and the row's
# cell), and a drag of it past the end mark is stored as a typed position past it is,
# without a message. Screenshots of the player area are kept for a person to look at.
#
# Usage: waveform_strip.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

e2e_in_own_session "$@"
e2e_init waveform_strip "$1"
e2e_require_atspi
e2e_require ffmpeg convert

song=loud-middle.mp3
seconds=30
ffmpeg -nostdin -v error -y -f lavfi \
    -i "aevalsrc=exprs='if(between(t,10,20),0.2+0.5*abs(sin(PI*t/4)),0.03)*sin(2*PI*440*t)':s=44100:d=$seconds" \
    -c:a libmp3lame -b:a 128k "$E2E_SONGS/$song"
e2e_song_settings "$E2E_SONGS" "mp3"

e2e_start_xvfb
e2e_start_tunora_for_atspi

# The player area: 464 x 64 at the client area's top left, 8 px in.
player=(8 0 464 64)
song_entry=(532 32)

e2e_double_click "${song_entry[@]}"
e2e_wait 15 "$song to play" e2e_playing_song "$song" >/dev/null
# The first mark makes the song's row; typed positions then put the marks on known seconds.
e2e_click "${E2E_START_MARK_BUTTON[@]}"
e2e_click "${E2E_END_MARK_BUTTON[@]}"
type_position() { # box x y, text
    e2e_click "$1" "$2"
    xdotool key --clearmodifiers ctrl+a BackSpace
    xdotool type --delay 40 "$3"
}
type_position $((E2E_START_BOX[0] + 20)) $((E2E_START_BOX[1] + 12)) 12
type_position $((E2E_END_BOX[0] + 20)) $((E2E_END_BOX[1] + 12)) 15.5

# The strip's description up to the keys it names after the marks.
strip_description() { atspi dump | sed -n "s/^ *slider '播放进度' '\\([^；']*\\).*/\\1/p"; }
marks_shown() { [ "$(strip_description)" = "开始时间 12，结束时间 15.5" ] && echo yes; }
e2e_wait 10 "the strip to describe the marks" marks_shown >/dev/null

# The strip's pixels, once its overview is drawn: the player area as raw RGB.
player_pixels() {
    import -display "$DISPLAY" -window root \
        -crop "${player[2]}x${player[3]}+$((E2E_CX + player[0]))+$((E2E_CY + player[1]))" -depth 8 rgb:-
}
# Prints "left right band_from band_to loud_from loud_to" in player-area columns, from the
# strip's frame, the band's colours and the columns whose sound reaches far from the middle.
read_strip() {
    player_pixels | python3 -c '
import sys
w, h = 464, 64
px = sys.stdin.buffer.read()
at = lambda x, y: tuple(px[(y * w + x) * 3:(y * w + x) * 3 + 3])
frame = (170, 180, 195)
rows = [y for y in range(h) if sum(at(x, y) == frame for x in range(w)) > 200]
if not rows:
    sys.exit(1)
top, bottom = rows[0], rows[-1]
cols = [x for x in range(w) if at(x, top) == frame]
left, right = cols[0], cols[-1]
def band(x):
    r, g, b = at(x, top + 1)
    return r > 190 and g > 100 and b < 200 and r - b > 40
banded = [x for x in range(left + 1, right) if band(x)]
middle = (top + bottom) / 2
probe = int(middle - 0.15 * (bottom - top - 4) / 2) - 1
def loud(x):
    r, g, b = at(x, probe)
    return (r, g, b) in ((40, 110, 200), (120, 135, 155))
louds = [x for x in range(left + 1, right) if loud(x)]
if not banded or not louds:
    sys.exit(1)
print(left, right, banded[0], banded[-1], louds[0], louds[-1])
'
}
drawn() { read_strip 2>/dev/null; }
read -r left right band_from band_to loud_from loud_to < <(e2e_wait 20 "the strip's overview" drawn)
sleep 0.3
import -display "$DISPLAY" -window root \
    -crop "${player[2]}x${player[3]}+$((E2E_CX + player[0]))+$((E2E_CY + player[1]))" "$E2E_ARTIFACTS/player-area.png"
e2e_screenshot 1-strip
# Where a time is drawn: the strip's inner columns span the song.
x_of() { python3 -c "print(round($left + 2 + $1 / $seconds * ($right - $left - 4)))"; }
near() { python3 -c "import sys; sys.exit(0 if abs($1 - $2) <= $3 else 1)"; }
e2e_log "strip columns $left..$right, band $band_from..$band_to, loud $loud_from..$loud_to"
near "$band_from" "$(x_of 12)" 2 || e2e_fail "the band starts at column $band_from, 12 s is $(x_of 12)"
near "$band_to" "$(x_of 15.5)" 2 || e2e_fail "the band ends at column $band_to, 15.5 s is $(x_of 15.5)"
near "$loud_from" "$(x_of 10)" 2 || e2e_fail "the loud sound starts at column $loud_from, 10 s is $(x_of 10)"
near "$loud_to" "$(x_of 20)" 2 || e2e_fail "the loud sound ends at column $loud_to, 20 s is $(x_of 20)"

# Drags on the strip, in player-area columns, at the height of its middle.
drag() { # from to
    local y=$((E2E_CY + player[1] + 18))
    xdotool mousemove --sync $((E2E_CX + player[0] + $1)) "$y" mousedown 1
    xdotool mousemove --sync $((E2E_CX + player[0] + ($1 + $2) / 2)) "$y"
    xdotool mousemove --sync $((E2E_CX + player[0] + $2)) "$y" mouseup 1
}
start_mark() { atspi dump | sed -n "s/^ *label '开始时间：\\(.*\\)' .*/\\1/p" | head -n 1; }
row_cells() { atspi list-items 歌曲列表 | tr '\n' ' '; }

# The start mark once it is no longer $1.
moved() { local m; m=$(start_mark); [ -n "$m" ] && [ "$m" != "$1" ] && echo "$m"; }
drag "$(x_of 12)" "$(x_of 8)"
mark=$(e2e_wait 10 "开始时间 to follow the drag" moved 12)
near "$mark" 8 $(python3 -c "print(2 * $seconds / ($right - $left - 4))") || e2e_fail "the start mark is $mark after a drag to 8 s"
row_cells | grep -qF " $mark " || e2e_fail "the row's cells are $(row_cells), not the start mark $mark"
[ "$(strip_description)" = "开始时间 $mark，结束时间 15.5" ] || e2e_fail "the strip says $(strip_description)"
e2e_log "the band's start edge dragged to 8 s: 开始时间 $mark in the label, the row and the strip"

# Past the end mark: a typed position past it is stored as it is, with no message box.
drag "$(x_of "$mark")" "$(x_of 20)"
mark=$(e2e_wait 10 "开始时间 to follow the drag past the end mark" moved "$mark")
near "$mark" 20 1 || e2e_fail "the start mark is $mark after a drag to 20 s"
sleep 1
[ -z "$(e2e_message_box 错误)" ] && [ -z "$(e2e_message_box 提示)" ] || e2e_fail "a drag past the end mark showed a message box"
e2e_screenshot 2-past-end-mark
e2e_log "PASS"
