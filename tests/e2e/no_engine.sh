#!/usr/bin/env bash
# Without a working media engine the program says so in a message box and exits with code
# 255 once the user has read it: when the engine module is missing, before any window; when
# it is there but cannot be loaded, after the window has appeared (it loads behind it).
#
# Usage: no_engine.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

e2e_init no_engine "$1"
e2e_start_xvfb

# Waits for the error box, checks what the program wrote, dismisses the box and expects 255.
expect_engine_error() { # screenshot name
    local box
    box=$(e2e_wait 30 "the error message box" e2e_message_box '错误')
    e2e_screenshot "$1"
    grep -q 'the media engine cannot start' "$e2e_dir/tunora.log" \
        || e2e_fail "no engine error was written: $(cat "$e2e_dir/tunora.log")"
    e2e_dismiss_box "$box"
    e2e_expect_exit 20 255
}

# 1. No module at all: the message comes before the window, which never appears.
rm -f "$E2E_APP_DIR"/tunora-*.so
e2e_start_tunora
expect_engine_error 1-module-missing
grep -q 'tunora-mpv.so' "$e2e_dir/tunora.log" || e2e_fail "the message does not name the missing module"
[ -z "$(e2e_any_main_window)" ] || e2e_fail "the main window was created although the engine is missing"

# 2. A module that is no library: the window is up first, then the message.
head -c 4096 /dev/zero >"$E2E_APP_DIR/tunora-mpv.so"
e2e_start_tunora
e2e_wait_main_window
expect_engine_error 2-module-broken
e2e_log "PASS"
