#!/usr/bin/env bash
# Started where there is no display, the program says so and exits with code 255 at once,
# without touching its settings file.
#
# Usage: no_display.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

e2e_init no_display "$1"

code=0
(cd "$E2E_CWD" && exec env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$E2E_PROGRAM") \
    >"$e2e_dir/tunora.log" 2>&1 || code=$?
message=$(cat "$e2e_dir/tunora.log")
e2e_log "exit code $code, said: $message"
[ "$code" -eq 255 ] || e2e_fail "exit code $code, expected 255"
grep -q 'DISPLAY' <<<"$message" || e2e_fail "the message does not name the missing display"
[ ! -e "$E2E_SETTINGS" ] || e2e_fail "the settings file was written without a window"
e2e_log "PASS"
