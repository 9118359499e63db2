#!/usr/bin/env bash
# Without a working media engine the program says so in a message box and exits with code
# 255 once the user has read it. libmpv loads behind the window, so the window is up first.
# The system's libmpv is replaced through LD_LIBRARY_PATH: by a file that is no library, and by
# a library that lacks one of the functions the player calls.
#
# Usage: no_engine.sh <tunora binary> <a libmpv.so.2 lacking a function>
source "$(dirname "$0")/lib.sh"

e2e_init no_engine "$1"
lacking=$2
e2e_start_xvfb

# e2e_start_with_libmpv <libmpv.so.2 to use>: starts the program with that library found first.
e2e_start_with_libmpv() {
    rm -rf "$e2e_dir/lib"
    mkdir -p "$e2e_dir/lib"
    cp "$1" "$e2e_dir/lib/libmpv.so.2"
    LD_LIBRARY_PATH="$e2e_dir/lib" e2e_start_tunora
}

# Waits for the window and then the error box, checks what the program wrote, dismisses the box
# and expects 255.
expect_engine_error() { # screenshot name, text the reason names
    e2e_wait_main_window
    local box
    box=$(e2e_wait 30 "the error message box" e2e_message_box '错误')
    e2e_screenshot "$1"
    grep -q 'the media engine cannot start' "$e2e_dir/tunora.log" \
        || e2e_fail "no engine error was written: $(cat "$e2e_dir/tunora.log")"
    grep -q "$2" "$e2e_dir/tunora.log" || e2e_fail "the reason does not name $2: $(cat "$e2e_dir/tunora.log")"
    e2e_dismiss_box "$box"
    e2e_expect_exit 20 255
}

# 1. A libmpv.so.2 that is no library at all.
head -c 4096 /dev/zero >"$e2e_dir/broken.so"
e2e_start_with_libmpv "$e2e_dir/broken.so"
expect_engine_error 1-libmpv-broken 'libmpv.so.2'

# 2. A library of that name without every function the player needs.
e2e_start_with_libmpv "$lacking"
expect_engine_error 2-libmpv-lacking 'mpv_command_node'
e2e_log "PASS"
