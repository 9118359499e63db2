#!/usr/bin/env bash
# A bare X server (Xvfb as xvfb-run starts it, or xinit without a desktop) resets whenever its
# last client leaves, and refuses connections while it does. Started there again and again,
# each time right after the previous run ended, the program comes up every time: it neither
# aborts in Qt's start nor reports the display as unusable.
#
# Usage: bare_display.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

e2e_init bare_display "$1"
e2e_require Xvfb xdotool

# Not e2e_start_xvfb: that server never resets (-noreset), which is what this run is about.
fifo="$e2e_dir/displayfd"
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 "$E2E_SCREEN" -nolisten tcp 3>"$fifo" >"$e2e_dir/xvfb.log" 2>&1 &
e2e_pids+=($!)
read -r -t 30 display <"$fifo" || true
[ -n "$display" ] || { cat "$e2e_dir/xvfb.log"; e2e_fail "Xvfb did not start"; }
export DISPLAY=":$display"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

for run in $(seq 1 20); do
    code=0
    # Ended by timeout once it is past its connection to the display: 124 is a run that came up.
    (cd "$E2E_CWD" && exec timeout 1 "$E2E_PROGRAM") >"$e2e_dir/tunora-$run.log" 2>&1 || code=$?
    e2e_log "run $run: exit code $code"
    [ "$code" -eq 124 ] || e2e_fail "run $run ended with exit code $code: $(grep -v '^ALSA' "$e2e_dir/tunora-$run.log")"
done
e2e_log "PASS"
