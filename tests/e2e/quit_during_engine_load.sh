#!/usr/bin/env bash
# Quitting while the media engine is still loading ends the program at once, with exit code
# 0: nothing waits for the load. The engine here is a stand-in libmpv whose start takes half a
# minute.
#
# Usage: quit_during_engine_load.sh <tunora binary> <a slow libmpv.so.2>
source "$(dirname "$0")/lib.sh"

e2e_init quit_during_engine_load "$1"
slow=$2
e2e_start_xvfb

mkdir -p "$e2e_dir/lib"
cp "$slow" "$e2e_dir/lib/libmpv.so.2"
mark="$e2e_dir/engine-loading"
LD_LIBRARY_PATH="$e2e_dir/lib" TUNORA_FAKE_MPV_CREATE_MS=30000 TUNORA_FAKE_MPV_MARK="$mark" e2e_start_tunora
e2e_wait_main_window
loading() { [ -e "$mark" ] && echo yes; }
e2e_wait 20 "the engine to be loading" loading >/dev/null
e2e_log "the engine is loading"
e2e_screenshot 1-loading

e2e_x11 close "$E2E_WINDOW"
e2e_log "asked the window to close"
e2e_expect_exit 3 0
grep -q 'cannot start' "$e2e_dir/tunora.log" && e2e_fail "an engine error was reported: $(cat "$e2e_dir/tunora.log")"
e2e_log "PASS"
