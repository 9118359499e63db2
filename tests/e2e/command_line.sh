#!/usr/bin/env bash
# --help and --version answer where there is no display and exit 0; an unknown option
# prints the usage on standard error and exits 2. None of them touches the settings file.
#
# Usage: command_line.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

e2e_init command_line "$1"

# run <args...>: sets code, out and err from the program started without a display.
run() {
    code=0
    (cd "$E2E_CWD" && exec env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$E2E_PROGRAM" "$@") \
        >"$e2e_dir/out" 2>"$e2e_dir/err" || code=$?
    out=$(cat "$e2e_dir/out")
    err=$(cat "$e2e_dir/err")
    e2e_log "tunora $* -> exit $code"
}

run --help
[ "$code" -eq 0 ] || e2e_fail "--help exited with $code: $err"
grep -q -- '--version' <<<"$out" || e2e_fail "--help does not list --version: $out"
[ -z "$err" ] || e2e_fail "--help wrote to standard error: $err"

run --version
[ "$code" -eq 0 ] || e2e_fail "--version exited with $code: $err"
[[ "$out" =~ ^tunora\ [0-9]+\.[0-9]+ ]] || e2e_fail "--version printed: $out"

run --no-such-option
[ "$code" -eq 2 ] || e2e_fail "an unknown option exited with $code"
[ -z "$out" ] || e2e_fail "the usage went to standard output: $out"
grep -q 'no-such-option' <<<"$err" || e2e_fail "the error does not name the option: $err"
grep -q -- '--help' <<<"$err" || e2e_fail "no usage on standard error: $err"

[ ! -e "$E2E_SETTINGS" ] || e2e_fail "the settings file was written"
e2e_log "PASS"
