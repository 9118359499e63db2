#!/usr/bin/env bash
# Where no display can be used — none is set, none answers, or the one there refuses the
# program — the program says which display and why, exits with code 255 at once (Qt would
# abort with a core dump), and does not touch its settings file.
#
# Usage: no_display.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

e2e_init no_display "$1"

# expect_start_failure <what> <text the message must hold> <env arguments...>
expect_start_failure() {
    local what=$1 expected=$2 code=0 message
    shift 2
    (cd "$E2E_CWD" && exec env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE "$@" \
        timeout 30 "$E2E_PROGRAM") >"$e2e_dir/tunora.log" 2>&1 || code=$?
    message=$(cat "$e2e_dir/tunora.log")
    e2e_log "$what: exit code $code, said: $message"
    [ "$code" -eq 255 ] || e2e_fail "$what: exit code $code, expected 255"
    grep -qF -- "$expected" <<<"$message" || e2e_fail "$what: the message does not name $expected"
    [ ! -e "$E2E_SETTINGS" ] || e2e_fail "$what: the settings file was written without a window"
}

expect_start_failure "DISPLAY unset" "DISPLAY" -u DISPLAY

# A display number that no local server holds: no socket, abstract or in the file system,
# and no lock file.
free=""
for n in $(seq 97 199); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ] \
        && ! grep -q "@/tmp/.X11-unix/X$n\$" /proc/net/unix 2>/dev/null; then
        free=$n
        break
    fi
done
[ -n "$free" ] || e2e_fail "no free display number between 97 and 199"
expect_start_failure "nothing answers on :$free" ":$free" DISPLAY=":$free"

# A server that lets in only clients holding its cookie. The cookie entry is for any
# address and display number, so the server and a client can share the file.
e2e_require xdpyinfo
cookies="$e2e_dir/server.auth"
python3 - "$cookies" "$(od -An -tx1 -N16 /dev/urandom | tr -d ' \n')" <<'PY'
import struct, sys
def field(data): return struct.pack(">H", len(data)) + data
with open(sys.argv[1], "wb") as f:
    f.write(struct.pack(">H", 0xFFFF) + field(b"") + field(b"")
            + field(b"MIT-MAGIC-COOKIE-1") + field(bytes.fromhex(sys.argv[2])))
PY
e2e_start_xvfb -auth "$cookies"
XAUTHORITY="$cookies" xdpyinfo >/dev/null 2>&1 \
    || e2e_fail "the server does not let in a client with its cookie, so a refusal would prove nothing"
: >"$e2e_dir/no-cookies.auth"
expect_start_failure "$DISPLAY refuses a client without its cookie" "$DISPLAY" \
    DISPLAY="$DISPLAY" XAUTHORITY="$e2e_dir/no-cookies.auth"
e2e_log "PASS"
