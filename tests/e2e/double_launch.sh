#!/usr/bin/env bash
# Launches close together, as a double-click on a desktop icon or a file manager opening two
# songs makes them, on a private session bus: one program runs, every other launch hands its
# song to it and exits 0, and that song plays in the one that runs. The first launch is still
# scanning a large song folder then, before its window shows.
#
# Usage: double_launch.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

e2e_in_own_session "$@"

e2e_init double_launch "$1"
e2e_require sox lame playerctl dbus-send

# A large folder keeps the first launch busy before its window (its scan comes before the
# first frame), about 0.2 s more here; the files are never played.
python3 -c 'import sys
for i in range(100000): open(f"{sys.argv[1]}/filler {i}.mp3", "w").close()' "$E2E_SONGS"
e2e_make_song "$E2E_SONGS/aaa first.mp3" 30 440 32
other="$E2E_SONGS/other"
mkdir -p "$other"
e2e_make_song "$other/handed.mp3" 30 660 32
handed_url="file://$other/handed.mp3"
e2e_song_settings "$E2E_SONGS" mp3

# The run's program copies that are running, by PID.
running() {
    local exe
    for exe in /proc/[0-9]*/exe; do
        if [ "$(readlink "$exe" 2>/dev/null)" = "$E2E_PROGRAM" ]; then basename "${exe%/exe}"; fi
    done | sort -n | paste -sd' '
}
# start <log name> <args...>: a launch from another directory; sets started_pid.
start() {
    local log=$1
    shift
    (cd / && exec "$E2E_PROGRAM" "$@") >"$e2e_dir/$log.log" 2>&1 &
    started_pid=$!
    e2e_pids+=("$started_pid")
}
# ended <pid> <seconds>: waits for the launch to end and sets ended_code to its exit code
# (here, not in a subshell: only the shell that started it can wait for it).
ended() {
    local deadline=$((SECONDS + $2))
    ended_code=0
    while kill -0 "$1" 2>/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
    wait "$1" || ended_code=$?
}
ctl() { playerctl --player=tunora "$@" 2>/dev/null; }
url_is() { [ "$(ctl metadata xesam:url)" = "$1" ] && echo yes; }
quit() {
    dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.tunora /org/mpris/MediaPlayer2 \
        org.mpris.MediaPlayer2.Quit >/dev/null || e2e_fail "Quit was refused"
    e2e_expect_exit 15 0
}
# expect_handed <winner pid>: the handed song plays in that program, found on the bus and by
# the file it has open.
expect_handed() {
    E2E_TUNORA_PID=$1
    e2e_wait 20 "handed.mp3 on the bus" url_is "$handed_url" >/dev/null
    [ "$(ctl metadata xesam:title)" = handed.mp3 ] || e2e_fail "the title is $(ctl metadata xesam:title)"
    e2e_wait 10 "handed.mp3 to play" e2e_playing_song handed.mp3 >/dev/null
    e2e_wait 10 "status Playing" sh -c "[ \"\$(playerctl --player=tunora status 2>/dev/null)\" = Playing ] && echo yes" >/dev/null
}
# no_complaint <log name>: the launch wrote no error of its own.
no_complaint() {
    ! grep -q '^tunora:' "$e2e_dir/$1.log" || e2e_fail "the $1 launch wrote: $(cat "$e2e_dir/$1.log")"
}

e2e_start_xvfb

# 1. Two launches 0.1 s apart, the second with a song: the second hands it over and ends.
start first
first=$started_pid
sleep 0.1
start second "$other/handed.mp3"
second=$started_pid
e2e_log "launched $first, then $second with handed.mp3"
ended "$second" 20 || e2e_fail "the second launch still runs after 20 s; programs running: $(running)"
[ "$ended_code" -eq 0 ] || e2e_fail "the second launch exited with $ended_code: $(cat "$e2e_dir/second.log")"
[ "$(running)" = "$first" ] || e2e_fail "programs running: $(running), expected the first launch $first alone"
expect_handed "$first"
[ "$(running)" = "$first" ] || e2e_fail "programs running: $(running), expected the first launch $first alone"
no_complaint first
no_complaint second
e2e_screenshot 1-handed
e2e_log "the second launch handed handed.mp3 to the first and exited 0; one program runs"
quit

# 2. Three launches at one moment, one of them with a song: whichever wins runs alone and
# plays the song.
start a
a=$started_pid
start b "$other/handed.mp3"
b=$started_pid
start c
c=$started_pid
e2e_log "launched $a, $b with handed.mp3, $c at once"
e2e_wait 20 "two of the launches to end" sh -c "n=0; for p in $a $b $c; do kill -0 \$p 2>/dev/null || n=\$((n + 1)); done; [ \$n -ge 2 ] && echo \$n" >/dev/null
winner=$(running)
case " $a $b $c " in
    *" $winner "*) ;;
    *) e2e_fail "programs running: '$winner', expected one of $a $b $c" ;;
esac
for pid in $a $b $c; do
    [ "$pid" = "$winner" ] && continue
    ended "$pid" 1 || e2e_fail "launch $pid still runs"
    [ "$ended_code" -eq 0 ] || e2e_fail "launch $pid exited with $ended_code"
done
expect_handed "$winner"
[ "$(running)" = "$winner" ] || e2e_fail "programs running: $(running), expected $winner alone"
for log in a b c; do no_complaint $log; done
e2e_log "of three launches at once $winner runs alone and plays handed.mp3"
quit

# 3. Without a session bus a launch says so in one line and runs on its own.
(cd / && DBUS_SESSION_BUS_ADDRESS="unix:path=$e2e_dir/no-session-bus" exec "$E2E_PROGRAM") >"$e2e_dir/alone.log" 2>&1 &
E2E_TUNORA_PID=$!
e2e_pids+=("$E2E_TUNORA_PID")
e2e_wait_main_window 30
said=$(grep '^tunora:' "$e2e_dir/alone.log" || true)
[ "$(grep -c '^tunora:' "$e2e_dir/alone.log")" -eq 1 ] && [[ "$said" == "tunora: no session bus ("* ]] ||
    e2e_fail "without a session bus the launch wrote: $(cat "$e2e_dir/alone.log")"
e2e_log "without a session bus: $said"
e2e_x11 close "$E2E_WINDOW"
e2e_expect_exit 15 0
e2e_log "PASS"
