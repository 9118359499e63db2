#!/usr/bin/env bash
# The desktop's media controls: the real program on a private session bus, driven with
# playerctl as GNOME's or KDE's player applets and the media keys drive it. Status and title
# while a song plays, play-pause, next in loop and in random mode, a position set and read
# back, shuffle and loop switching the menu's play mode and the settings file, the volume
# slider, a file opened, and quit. The window is read as a screen reader reads it.
#
# Usage: mpris_playerctl.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

e2e_in_own_session "$@"

e2e_init mpris_playerctl "$1"
e2e_require sox lame playerctl dbus-monitor dbus-send
e2e_require_atspi

songs=(s1 s2 s3 s4 s5 s6)
for i in "${!songs[@]}"; do
    e2e_make_song "$E2E_SONGS/${songs[i]}.mp3" 40 $((300 + 60 * i)) 32
done
# A folder of its own; inside the songs folder only so that e2e_playing_song sees it open.
elsewhere="$E2E_SONGS/elsewhere"
mkdir -p "$elsewhere"
e2e_make_song "$elsewhere/far away.mp3" 40 900 32
e2e_settings_file UTF-8 <<EOF
[歌曲目录]
路径=$E2E_SONGS/
[音乐格式]
格式=mp3
[播放方式]
参数=循环
EOF

ctl() { playerctl --player=tunora "$@" 2>/dev/null; }
on_bus() { playerctl --list-all 2>/dev/null | grep -qx tunora && echo yes; }
status_is() { [ "$(ctl status)" = "$1" ] && echo "$1"; }
track() { ctl metadata mpris:trackid; }
title() { ctl metadata xesam:title; }
track_other_than() { local now; now=$(track) && [ -n "$now" ] && [ "$now" != "$1" ] && echo "$now"; }
# told <signal> <text>: the signal went out on the bus with that text among its arguments.
told() { grep -A12 "member=$1\$" "$E2E_ARTIFACTS/signals.txt" | grep -qF -- "$2" && echo yes; }
mode_in_settings() { sed -n 's/^参数=\(随机\|循环\)\r\?$/\1/p' "$E2E_SETTINGS"; }

# The window's play mode as the menu shows it: "随机" or "循环", whichever is checked.
menu_mode() {
    local random loop
    random=$(atspi checked 随机) && loop=$(atspi checked 循环) || return 1
    case "$random/$loop" in
        yes/no) echo 随机 ;;
        no/yes) echo 循环 ;;
        *) echo "both or neither: 随机 $random, 循环 $loop" ;;
    esac
}

# Skips with `playerctl next` and prints the title of each song then playing, checking that
# the program has that very song open.
skip_and_record() { # count
    local n before now name
    for ((n = 0; n < $1; n++)); do
        before=$(track)
        ctl next
        e2e_wait 10 "the next song" track_other_than "$before" >/dev/null
        name=$(title)
        e2e_wait 10 "$name to be the song the program has open" e2e_playing_song "$name" >/dev/null
        echo "$name"
    done
}

# Whether every step of the titles goes to the song below in the list (after the last, the
# first), as the player's own next does.
follows_list() { # titles...
    local prev="" t i
    for t in "$@"; do
        if [ -n "$prev" ]; then
            for i in "${!list[@]}"; do
                [ "${list[i]}" = "$prev" ] && break
            done
            [ "${list[$(((i + 1) % ${#list[@]}))]}" = "$t" ] || return 1
        fi
        prev=$t
    done
}

e2e_start_xvfb
e2e_start_tunora_for_atspi
e2e_wait 15 "the program among playerctl's players" on_bus >/dev/null
mapfile -t list < <(atspi list-items 歌曲文件列表)
[ "${#list[@]}" -eq 6 ] || e2e_fail "the song-file list holds ${#list[@]} songs: ${list[*]}"
[ "$(ctl status)" = Stopped ] || e2e_fail "status before anything plays: $(ctl status)"

stdbuf -oL dbus-monitor --session "type='signal',path='/org/mpris/MediaPlayer2'" >"$E2E_ARTIFACTS/signals.txt" 2>&1 &
e2e_pids+=($!)
sleep 0.5

# Status and title while a song plays: play starts the top of the list, as the player
# face's play button does.
ctl play
e2e_wait 10 "status Playing" status_is Playing >/dev/null
e2e_wait 10 "a title" title >/dev/null
[ "$(title)" = "${list[0]}" ] || e2e_fail "title $(title), the top of the list is ${list[0]}"
e2e_wait 10 "${list[0]} to play" e2e_playing_song "${list[0]}" >/dev/null
[ "$(atspi name-starting 歌曲名)" = "歌曲名：${list[0]}" ] || e2e_fail "标签1 shows $(atspi name-starting 歌曲名)"
length=$(ctl metadata mpris:length)
[ "$length" -gt 39000000 ] && [ "$length" -lt 41000000 ] || e2e_fail "mpris:length $length for a 40 s song"
e2e_screenshot 1-playing
e2e_log "plays ${list[0]}, status and title say so"

# Play-pause pauses (the position stands still) and plays on.
ctl play-pause
e2e_wait 10 "status Paused" status_is Paused >/dev/null
paused_at=$(ctl position)
sleep 0.6
# The engine's last reading may still land after the pause; playing on would be 0.6 s.
later=$(ctl position)
awk -v a="$paused_at" -v b="$later" 'BEGIN { exit !(b - a < 0.05) }' ||
    e2e_fail "the position moves while paused: $paused_at, then $later"
ctl play-pause
e2e_wait 10 "status Playing again" status_is Playing >/dev/null
e2e_wait 10 "PropertiesChanged to tell of the pause" told PropertiesChanged '"Paused"' >/dev/null
e2e_log "play-pause pauses at $paused_at s and plays on"

# A position set is read back, and the jump is told with Seeked.
ctl position 25
sleep 0.3
position=$(ctl position)
awk -v p="$position" 'BEGIN { exit !(p >= 25 && p < 26.5) }' || e2e_fail "position $position after setting 25"
e2e_wait 10 "Seeked to 25 s" told Seeked 'int64 25000000' >/dev/null
e2e_log "position set to 25 reads back $position"

# Next in loop mode goes down the list.
mapfile -t looped < <(skip_and_record 3)
follows_list "${list[0]}" "${looped[@]}" || e2e_fail "next in loop mode went ${list[0]} ${looped[*]}, the list is ${list[*]}"
e2e_log "next in loop mode: ${looped[*]}"

# Shuffle on chooses 随机, as the menu does: the menu's check mark and the settings file.
ctl shuffle On
e2e_wait 10 "the menu to show 随机" menu_mode | grep -qx 随机 || e2e_fail "the menu shows $(menu_mode)"
[ "$(mode_in_settings)" = 随机 ] || e2e_fail "the settings file holds $(mode_in_settings)"
[ "$(ctl shuffle)" = On ] && [ "$(ctl loop)" = None ] || e2e_fail "shuffle $(ctl shuffle), loop $(ctl loop) in random mode"
e2e_wait 10 "PropertiesChanged to tell of Shuffle" told PropertiesChanged '"Shuffle"' >/dev/null

# Next in random mode: the songs do not follow the list. Eight steps that all went down the
# list by chance would happen once in 6^8 runs.
mapfile -t shuffled < <(skip_and_record 8)
follows_list "${looped[-1]}" "${shuffled[@]}" && e2e_fail "next in random mode followed the list: ${shuffled[*]}"
e2e_log "next in random mode: ${shuffled[*]}"

# Loop back on: 循环 is chosen, the settings file says so, and shuffle is off.
ctl loop Playlist
e2e_wait 10 "the menu to show 循环" menu_mode | grep -qx 循环 || e2e_fail "the menu shows $(menu_mode)"
[ "$(mode_in_settings)" = 循环 ] || e2e_fail "the settings file holds $(mode_in_settings)"
[ "$(ctl shuffle)" = Off ] || e2e_fail "shuffle $(ctl shuffle) after loop Playlist"
# Loop off leaves loop the one way the menu does, by 随机; shuffle off comes back to 循环.
ctl loop None
e2e_wait 10 "loop None to choose 随机" menu_mode | grep -qx 随机 || e2e_fail "the menu shows $(menu_mode)"
ctl shuffle Off
e2e_wait 10 "shuffle Off to choose 循环" menu_mode | grep -qx 循环 || e2e_fail "the menu shows $(menu_mode)"
[ "$(mode_in_settings)" = 循环 ] || e2e_fail "the settings file holds $(mode_in_settings)"
e2e_log "shuffle and loop switch the menu's play mode and the settings file"

# The volume is the volume slider's.
ctl volume 0.35
slider() { local v; v=$(atspi value 音量) && [ "$v" = 35 ] && echo "$v"; }
e2e_wait 10 "the volume slider at 35" slider >/dev/null
[ "$(ctl volume)" = 0.350000 ] || e2e_fail "volume reads $(ctl volume)"
e2e_log "volume 0.35 moves the slider to 35"

# A file opened: its folder becomes the song folder, listed and stored, and it plays.
ctl open "file://$elsewhere/far%20away.mp3"
e2e_wait 10 "far away.mp3 to play" e2e_playing_song "far away.mp3" >/dev/null
[ "$(title)" = "far away.mp3" ] || e2e_fail "title $(title) after opening far away.mp3"
[ "$(atspi list-items 歌曲文件列表)" = "far away.mp3" ] || e2e_fail "the list holds $(atspi list-items 歌曲文件列表)"
grep -qx "路径=$elsewhere/"$'\r\\?' "$E2E_SETTINGS" || e2e_fail "the settings file does not hold the folder: $(cat "$E2E_SETTINGS")"
e2e_screenshot 2-opened
e2e_log "open plays far away.mp3 from its folder"

# Quit ends the program with exit code 0.
dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.tunora /org/mpris/MediaPlayer2 \
    org.mpris.MediaPlayer2.Quit >/dev/null || e2e_fail "Quit was refused"
e2e_expect_exit 15 0
e2e_log "PASS"
