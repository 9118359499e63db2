#!/usr/bin/env bash
# Start minimised (最小化 参数=是) in a native Wayland session, where a window asked to open
# minimised opens anyway: the program shows its window and then minimises it, so the screen
# ends up without it; with the option off the window stays. The compositor is weston, headless,
# without a tray (no status-notifier host on the bus), so the window minimises instead of
# hiding to one. Read from the compositor's screenshots and from the program's Wayland
# requests (WAYLAND_DEBUG).
#
# Usage: wayland_start_minimised.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

e2e_init wayland_start_minimised "$1"
e2e_require iconv compare
qt_wayland=$(find /usr/lib -path '*qt6/plugins/platforms/libqwayland-generic.so' 2>/dev/null | head -n 1)
[ -n "$qt_wayland" ] || { e2e_log "SKIP: Qt's Wayland platform is not installed (qt6-wayland)"; exit "$E2E_SKIP"; }

e2e_start_weston
# The desktop without the program, once the shell has drawn it.
baseline() { e2e_weston_screenshot baseline; }
sleep 1
e2e_wait 20 "a screenshot of the bare desktop" baseline >/dev/null

# Pixels below the panel that differ from the bare desktop (the panel's clock moves).
differs_from_desktop() { # screenshot
    # compare exits 1 when the images differ, which is no failure here. Two frames of the bare
    # desktop differ in the last bit of many pixels: only a real change counts.
    { compare -metric AE -fuzz 5% -crop 1024x720+0+40 "$E2E_ARTIFACTS/baseline.png" "$1" null: 2>&1 >/dev/null || true; } |
        cut -d' ' -f1
}

start_on_wayland() { # log file
    (cd "$E2E_CWD" && DBUS_SESSION_BUS_ADDRESS="unix:path=$e2e_dir/no-session-bus" QT_QPA_PLATFORM=wayland \
        WAYLAND_DEBUG=client exec "$E2E_PROGRAM") >"$1" 2>&1 &
    E2E_TUNORA_PID=$!
    e2e_pids+=("$E2E_TUNORA_PID")
    e2e_log "tunora started on Wayland, pid $E2E_TUNORA_PID"
}
stop_program() {
    kill "$E2E_TUNORA_PID"
    wait "$E2E_TUNORA_PID" 2>/dev/null || true
}

# Without the option the window is on the screen: the screenshots can see it.
printf '[最小化]\r\n参数=否\r\n' | e2e_settings_file GBK
start_on_wayland "$e2e_dir/shown.log"
window_on_screen() {
    local shot pixels
    shot=$(e2e_weston_screenshot shown) || return 1
    pixels=$(differs_from_desktop "$shot")
    [ "${pixels%.*}" -gt 20000 ] && echo "$pixels"
}
pixels=$(e2e_wait 30 "the window on the screen" window_on_screen)
e2e_log "window shown: $pixels pixels differ from the bare desktop"
stop_program

# With it the window is mapped (a buffer attached and committed), then asked minimised.
printf '[最小化]\r\n参数=是\r\n' | e2e_settings_file GBK
log="$e2e_dir/minimised.log"
start_on_wayland "$log"
asked_minimised() { grep -m1 -n 'xdg_toplevel@[0-9]*\.set_minimized()' "$log" | cut -d: -f1; }
line=$(e2e_wait 30 "the window to ask to be minimised" asked_minimised)
first_buffer=$(grep -m1 -n 'wl_surface@[0-9]*\.attach(wl_buffer@' "$log" | cut -d: -f1 || true)
[ -n "$first_buffer" ] && [ "$first_buffer" -lt "$line" ] || e2e_fail "minimised before the window was mapped"
# The compositor takes the request in its own time; on a busy machine that can be seconds.
desktop_bare() {
    local shot pixels
    shot=$(e2e_weston_screenshot minimised) || return 1
    pixels=$(differs_from_desktop "$shot")
    [ "${pixels%.*}" -lt 100 ] && echo "$pixels"
}
e2e_wait 15 "the window to leave the screen" desktop_bare >/dev/null
kill -0 "$E2E_TUNORA_PID" 2>/dev/null || e2e_fail "the program ended"
e2e_log "minimised after its first frame; the desktop is bare again"
e2e_log "PASS"
