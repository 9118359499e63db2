#!/usr/bin/env bash
# The ringtone effects from the menu: 初始化设置 → 铃声效果 → 淡入 is chosen with the keyboard,
# written to the settings file (GBK, CRLF) at once, and read back at the next start, where a
# cut of a steady tone comes out faded in: its first tenth of a second far below the tone's
# level, its level climbing to the tone's over the first second.
#
# Usage: ringtone_effects.sh <tunora binary> <folder of fixture songs>
source "$(dirname "$0")/lib.sh"

e2e_init ringtone_effects "$1"
e2e_require sox lame iconv ffmpeg

song_file_entry_x=532
song_file_entry_y=32
song="tone.mp3"
e2e_make_song "$E2E_SONGS/$song" 20 1000 128
# In GBK with CRLF, as the Windows program wrote it: the new section must be written the same way.
printf '[歌曲目录]\r\n路径=%s/\r\n[音乐格式]\r\n格式=mp3\r\n' "$E2E_SONGS" | e2e_settings_file GBK

effects_written() {
    iconv -f GBK -t UTF-8 "$E2E_SETTINGS" | grep -qx $'淡入=是\r' && echo yes
}

e2e_start_xvfb
e2e_start_tunora
e2e_wait_main_window 30
sleep 0.5
# 初始化设置 is the menu bar's only entry; 铃声效果 is its fifth item, 淡入 the first of that.
menu_bar_y=$(( (E2E_WH - E2E_CLIENT_HEIGHT) / 2 ))
xdotool mousemove --sync $((E2E_WX + 30)) $((E2E_WY + menu_bar_y)) click 1
sleep 0.5
xdotool key Down Down Down Down Down
sleep 0.2
xdotool key Right
sleep 0.3
e2e_screenshot 1-effects-menu
xdotool key Return
e2e_wait 10 "淡入 in the settings file" effects_written >/dev/null
iconv -f GBK -t UTF-8 "$E2E_SETTINGS" | grep -qx $'\[铃声效果\]\r' || e2e_fail "no section 铃声效果 in the settings file"
iconv -f GBK -t UTF-8 "$E2E_SETTINGS" | grep -qx $'淡入秒数=1\r' || e2e_fail "the fade-in length is not beside it"
e2e_log "淡入 chosen and written"
e2e_x11 close "$E2E_WINDOW"
e2e_expect_exit 15 0

# The next start reads the choice back: the cut it makes is faded in.
e2e_start_tunora
e2e_wait_main_window 30
sleep 0.5
e2e_double_click "$song_file_entry_x" "$song_file_entry_y"
e2e_wait 15 "$song to play" e2e_playing_song "$song" >/dev/null
sleep 0.5
e2e_mark_and_cut 3 2-cut-done
ringtone="$E2E_APP_DIR/[铃声]$song"
[ -s "$ringtone" ] || e2e_fail "no ringtone next to the program"

rms() { # from, length: RMS amplitude of that stretch of the ringtone as sox decodes it
    sox "$ringtone" -n trim "$1" "$2" stat 2>&1 | awk '/^RMS +amplitude/ { print $3 }'
}
first=$(rms 0 0.1)
middle=$(rms 0.45 0.1)
steady=$(rms 1.3 0.5)
e2e_log "ringtone RMS: 0-0.1 s $first, 0.45-0.55 s $middle, 1.3-1.8 s $steady"
awk -v a="$first" -v m="$middle" -v s="$steady" 'BEGIN {
        if (s < 0.1) { print "the steady part is silent"; exit 1 }
        if (a > s * 0.03) { print "the start is not far below the tone (-30 dB)"; exit 1 }
        if (m < a * 3 || m > s * 0.7) { print "the level does not climb through the first second"; exit 1 }
    }' || e2e_fail "the ringtone is not faded in"
# The gains must leave every frame whole. A constant bit rate cut is a proportional byte slice,
# so its last frame may stop inside its side info wherever the marks fall, which ffmpeg reports
# ("invalid new backstep"): the decoder judges the ringtone up to its last whole frame.
python3 - "$ringtone" "$e2e_dir/whole-frames.mp3" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
kbps = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320]
def frame_length(at):  # an MPEG-1 Layer III frame at 44.1 kHz, as the song is made
    if at + 4 > len(data) or data[at] != 0xFF or data[at + 1] & 0xFE != 0xFA:
        return 0
    rate, sampling = data[at + 2] >> 4, (data[at + 2] >> 2) & 3
    if rate in (0, 15) or sampling != 0:
        return 0
    return 144000 * kbps[rate] // 44100 + ((data[at + 2] >> 1) & 1)
at = next(i for i in range(len(data)) if frame_length(i) and frame_length(i + frame_length(i)))
end = at
while frame_length(end) and end + frame_length(end) <= len(data):
    end += frame_length(end)
open(sys.argv[2], "wb").write(data[:end])
PY
errors=$(ffmpeg -nostdin -v error -i "$e2e_dir/whole-frames.mp3" -f null - 2>&1)
[ -z "$errors" ] || e2e_fail "ffmpeg reports errors decoding the ringtone: $errors"

e2e_x11 close "$E2E_WINDOW"
e2e_expect_exit 15 0
e2e_log "PASS"
