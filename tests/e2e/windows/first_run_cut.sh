#!/usr/bin/env bash
# The real tunora.exe under Wine, as a user on a Western Windows runs it the first time: the
# unpacked program sits in a folder 歌曲 beside the song 晴天.mp3 (names no ANSI code page there
# holds). Its first start writes 初始化配置.ini beside it, in GBK with CRLF; F5 (刷新列表) lists
# the program's folder and names it there; the song plays (Enter in the song-file list); the keys I and O mark it, the
# marks are typed into their boxes, Space selects its row and Ctrl+X cuts it; the ringtone,
# decoded, holds the typed seconds within 0.1 s. Driven with keys only (xdotool): Wine offers
# no accessibility bus to read the window from, so a screenshot is kept to look at.
#
# Usage: first_run_cut.sh <unpacked program folder>
# Needs DISPLAY and WINEPREFIX set up (scripts/windows/wine.sh); screenshots and the program's
# output go to e2e-artifacts/windows/ under the current folder.
set -euo pipefail
bundle=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
artifacts="$PWD/e2e-artifacts/windows"
mkdir -p "$artifacts"
work=$(mktemp -d "${TMPDIR:-/tmp}/tunora-wine-e2e.XXXXXX")
program_pid=""

log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }
shot() { import -window root "$artifacts/$1.png" 2>/dev/null || true; }
cleanup() {
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        kill "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
    cp "$work/tunora.log" "$artifacts/" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    log "FAIL: $*"
    shot failure
    exit 1
}
wait_for() { # seconds what command...
    local seconds=$1 what=$2 i
    shift 2
    for ((i = 0; i < seconds * 10; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    fail "no $what in $seconds s"
}

folder="$work/歌曲"
cp -r "$bundle" "$folder"
rm -f "$folder/初始化配置.ini.bak"
template=$(cat "$folder/初始化配置.ini")
# Ten seconds whose pitch steps every second: 300 Hz, 400 Hz, ...
ffmpeg -nostdin -v error -f lavfi -i "aevalsrc=exprs='0.4*sin(2*PI*(300+100*floor(t))*t)':s=44100:d=10:c=mono" \
    -c:a libmp3lame -b:a 128k "$folder/晴天.mp3"
start=2.5
end=6.25

log "starting tunora.exe under Wine"
(cd "$work" && exec wine "$folder/tunora.exe" >"$work/tunora.log" 2>&1) &
program_pid=$!
window() { xdotool search --name Clipvane 2>/dev/null | head -n1; }
has_window() { [ -n "$(window)" ]; }
wait_for 90 'main window' has_window
win=$(window)
sleep 2
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
shot 1-started

# The first start wrote the settings beside the program (its play mode, 播放方式), in GBK
# with the template's CRLF lines.
settings="$folder/初始化配置.ini"
written() { ! cmp -s <(printf '%s' "$template") "$settings"; }
wait_for 10 'settings written at the first start' written
iconv -f GBK -t UTF-8 "$settings" >"$work/settings.txt" || fail "the settings file is not GBK"
! iconv -f UTF-8 -t UTF-8 "$settings" >/dev/null 2>&1 || fail "the settings file is UTF-8, not GBK"
grep -q '^\[播放方式\]' "$work/settings.txt" || fail "the first start wrote no play mode: $(cat "$work/settings.txt")"
[ "$(grep -c $'\r$' "$settings")" -eq "$(wc -l <"$settings")" ] || fail "a settings line does not end with CRLF"
log "the settings file beside the program is GBK with CRLF: $(tr -d '\r' <"$work/settings.txt" | tr '\n' ' ')"

key() { xdotool key --delay 120 "$@"; sleep 0.3; }
# A first start has no song folder yet: F5 (刷新列表) lists the program's own folder and keeps
# it in the settings, its name in GBK.
key F5
names_folder() { iconv -f GBK -t UTF-8 "$settings" 2>/dev/null | grep -q "^路径=.*/歌曲/"; }
wait_for 10 'song folder in the settings' names_folder
log "F5 lists the program's folder: $(iconv -f GBK -t UTF-8 "$settings" | grep '^路径=' | tr -d '\r')"
sleep 0.5
shot 2-listed

# The window's first control has the focus: the player face. Two tabs on, the song-file
# list, whose Enter plays its song.
key Tab Tab Return
# The song is open in the program's process: Wine runs a Windows process as a Linux one,
# which may have been started anew from the one run here.
song_open() {
    local pid
    for pid in "$program_pid" $(pgrep -f 'tunora\.exe'); do
        ls -l "/proc/$pid/fd" 2>/dev/null | grep -q '晴天.mp3' && return 0
    done
    return 1
}
wait_for 20 '晴天.mp3 open for playing' song_open
log "晴天.mp3 is listed and plays"
sleep 1
shot 3-playing

# Back on the player face, I and O make the song's row; the typed marks replace theirs.
key shift+Tab shift+Tab i
sleep 0.7
key o
sleep 0.5
key Tab Tab Tab Tab ctrl+a
xdotool type --delay 80 "$start"
key Tab Tab Tab ctrl+a
xdotool type --delay 80 "$end"
key Tab
sleep 0.5
shot 4-marked
# Seven tabs on from the end mark's box, the song list: Space selects the row, Ctrl+X cuts it.
key Tab Tab Tab Tab Tab Tab space
key ctrl+x
ringtone="$folder/[铃声]晴天.mp3"
has_ringtone() { [ -s "$ringtone" ]; }
wait_for 20 'ringtone beside the program' has_ringtone
cp "$ringtone" "$artifacts/ringtone.mp3"
sleep 1
shot 5-cut
key Return

read -r from to length < <(python3 "$here/heard_seconds.py" "$ringtone") || fail "the ringtone does not decode"
log "marked $start to $end; the ringtone holds seconds $from to $to of the song ($length s)"
awk -v f="$from" -v t="$to" -v s="$start" -v e="$end" '
    function abs(x) { return x < 0 ? -x : x }
    BEGIN { exit !(abs(f - s) <= 0.1 && abs(t - e) <= 0.1) }' || fail "the ringtone holds $from to $to, not $start to $end"
log "PASS"
