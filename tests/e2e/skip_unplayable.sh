#!/usr/bin/env bash
# Files that cannot be played are passed over as every player does. In loop mode, with the
# list d, c, b, a, ._a where b is no audio and ._a is what macOS leaves beside a song, c plays,
# b is tried, a plays, ._a is tried and d plays. In random mode a pick that cannot be played
# is followed by another pick. A folder of nothing but such files is tried once, in either
# mode, then the
# program stops trying, uses no processor, and still answers: a song added and listed with
# 刷新列表 plays. The files the program opens are followed with inotify.
#
# Usage: skip_unplayable.sh <tunora binary> <folder of fixture songs>
source "$(dirname "$0")/lib.sh"

e2e_init skip_unplayable "$1"
fixtures=$2
e2e_require sox lame iconv

# The song-file list's entries, measured once from a screenshot: entry n is centred at
# y = 32 + 15 (n - 1); and the button 刷新列表.
entry_x=532
entry_y() { echo $((32 + 15 * ($1 - 1))); }
refresh_button=(56 228)

no_audio() { printf 'this is no audio\n' >"$1"; }
apple_double() { printf '\0\5\26\7\0\2\0\0Mac OS X        ' >"$1"; }

# The names of the files opened in the song folder, repeats in a row made one, in one line.
opens="$e2e_dir/opens"
watch_folder() { # folder
    : >"$opens"
    rm -f "$opens.ready"
    python3 "$E2E_LIB_DIR/watch_opens.py" "$1" "$opens.ready" >>"$opens" &
    e2e_pids+=($!)
    watcher=$!
    # A file that fails to play is opened and closed within milliseconds: the watch must be
    # in place before the double-click.
    watching() { [ -e "$opens.ready" ] && echo yes; }
    e2e_wait 15 "the watch on $1" watching >/dev/null
}
stop_watching() { kill "$watcher"; wait "$watcher" 2>/dev/null || true; }
opened() { uniq "$opens" | tr '\n' ' '; }
opened_in_order() { # names...: the opens so far contain them in this order
    local now
    now=$(opened)
    [[ " $now" == *" $(printf '%s ' "$@")"* ]] && echo "$now"
}

start_run() { # settings in UTF-8 on stdin
    e2e_settings_file GBK
    e2e_start_tunora
    e2e_wait_main_window 30
    sleep 0.5
}
end_run() {
    kill "$E2E_TUNORA_PID"
    wait "$E2E_TUNORA_PID" 2>/dev/null || true
    # A move to where the pointer already is never ends the wait of the next click's --sync.
    xdotool mousemove 0 0
}

# Starts the program on a folder of MP3 songs (with more settings lines, if given), watches
# what it opens there and double-clicks the top entry.
play_top_entry() { # folder [settings lines]
    start_run <<EOF
[歌曲目录]
路径=$1/
[音乐格式]
格式=mp3
${2:-}
EOF
    watch_folder "$1"
    e2e_double_click "$entry_x" "$(entry_y 1)"
}

e2e_start_xvfb

# --- Loop mode: the list reads d, c, b, a, ._a -----------------------------------------
loop="$E2E_SONGS/loop"
mkdir "$loop"
for song in a c d; do cp "$fixtures/tone-1s.mp3" "$loop/$song.mp3"; done
no_audio "$loop/b.mp3"
apple_double "$loop/._a.mp3"
start_run <<EOF
[歌曲目录]
路径=$loop/
[音乐格式]
格式=mp3
EOF
watch_folder "$loop"
e2e_double_click "$entry_x" "$(entry_y 2)"
sequence=$(e2e_wait 30 "c, b, a, ._a and d in turn" opened_in_order c.mp3 b.mp3 a.mp3 ._a.mp3 d.mp3)
e2e_screenshot 1-loop
e2e_log "loop mode opened: $sequence"
stop_watching
end_run

# --- Random mode: one song among four files that cannot be played ----------------------
random="$E2E_SONGS/random"
mkdir "$random"
cp "$fixtures/tone-1s.mp3" "$random/good.mp3"
for n in 1 2 3; do no_audio "$random/bad$n.mp3"; done
apple_double "$random/._good.mp3"
# good.mp3 sorts after the bad ones and ._good.mp3: it is the top entry.
play_top_entry "$random" $'[播放方式]\n参数=随机'
e2e_wait 15 "good.mp3 to play" e2e_playing_song good.mp3 >/dev/null
# Picks go on; once one lands on a file that cannot be played, the next pick follows it.
failed_then_played() {
    local now
    now=$(opened)
    [[ "$now" =~ (bad[0-9]|\._good)\.mp3\ (.*\ )?good\.mp3\  ]] && echo "$now"
}
sequence=$(e2e_wait 60 "a pick that fails to be followed by good.mp3" failed_then_played)
e2e_log "random mode opened: $sequence"
stop_watching
end_run

# --- Nothing that plays, in random mode: each file is tried once there too ----------------
badr="$E2E_SONGS/bad-random"
mkdir "$badr"
# Six files: a pick that may land on a file tried before would repeat one nearly always.
for n in 1 2 3 4 5; do no_audio "$badr/x$n.mp3"; done
apple_double "$badr/._x1.mp3"
play_top_entry "$badr" $'[播放方式]\n参数=随机'
tried_all() {
    local now name
    now=$(opened)
    for name in x1.mp3 x2.mp3 x3.mp3 x4.mp3 x5.mp3 ._x1.mp3; do [[ " $now" == *" $name "* ]] || return 1; done
    echo "$now"
}
e2e_wait 15 "each file to be tried" tried_all >/dev/null
sleep 2
tries=$(opened)
[ "$(wc -w <<<"$tries")" -eq 6 ] || e2e_fail "random mode tried the files more than once: $tries"
e2e_log "random mode tried each once: $tries"
stop_watching
end_run

# --- Nothing that plays ----------------------------------------------------------------
bad="$E2E_SONGS/bad"
mkdir "$bad"
no_audio "$bad/x.mp3"
no_audio "$bad/y.mp3"
apple_double "$bad/._x.mp3"
play_top_entry "$bad"   # y.mp3, then x.mp3, then ._x.mp3
e2e_wait 15 "each file to be tried" opened_in_order y.mp3 x.mp3 ._x.mp3 >/dev/null
sleep 2
tries=$(opened)
[ "$tries" = "y.mp3 x.mp3 ._x.mp3 " ] || e2e_fail "the files were tried more than once: $tries"
# No spinning: the program is idle (processor ticks over two seconds).
ticks() { awk '{ print $14 + $15 }' "/proc/$E2E_TUNORA_PID/stat"; }
before=$(ticks)
sleep 2
used=$(( $(ticks) - before ))
[ "$used" -lt 40 ] || e2e_fail "the program kept working after it stopped: $used ticks in 2 s"
e2e_log "tried once each, then idle ($used ticks in 2 s)"
# Still answering: a song added to the folder is listed by 刷新列表 and plays.
cp "$fixtures/tone-2s.mp3" "$bad/z.mp3"
e2e_click "${refresh_button[@]}"
sleep 1
e2e_double_click "$entry_x" "$(entry_y 1)"   # z.mp3 sorts last, so it is the top entry
e2e_wait 15 "the added song to play" e2e_playing_song z.mp3 >/dev/null
e2e_screenshot 3-plays-again
e2e_log "PASS"
