#!/usr/bin/env bash
# The window as a screen reader reads it: on a private session bus with the accessibility
# bus, every push button, slider, spin arrow, text box and list of the real program's
# window has a name, and no two controls share one; the controls that keys work name them.
#
# Usage: accessibility.sh <tunora binary>
source "$(dirname "$0")/lib.sh"

# A session bus of the run's own, so the accessibility bus it starts is ours alone.
e2e_in_own_session "$@"

e2e_init accessibility "$1"
e2e_require_atspi

e2e_start_xvfb
e2e_start_tunora_for_atspi
e2e_screenshot started

atspi dump >"$E2E_ARTIFACTS/tree.txt" || e2e_fail "could not read the window's tree"
if ! report=$(atspi check-names); then
    printf '%s\n' "$report" >&2
    e2e_fail "controls without a name or with a shared name (tree in $E2E_ARTIFACTS/tree.txt)"
fi
e2e_log "$report"
# The arrows are the controls a screen reader cannot guess: each names its mark and way.
for name in 开始时间提前 开始时间推后 结束时间提前 结束时间推后 播放/暂停 播放进度 音量; do
    grep -qF "'$name'" "$E2E_ARTIFACTS/tree.txt" || e2e_fail "no control is named $name"
done
# Each control that a key works says which, in its description.
for name in 开始标记↓ 结束标记↑ 试听结束时间 单个剪切; do
    grep -qE "'$name' '.*快捷键：" "$E2E_ARTIFACTS/tree.txt" || e2e_fail "$name does not name its key"
done
e2e_log "PASS"
