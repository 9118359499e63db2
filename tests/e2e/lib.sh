# Helpers for the end-to-end runs of the real tunora binary on its own Xvfb server.
# Sourced by the run scripts; every process started here is ended by PID on exit.
#
# Each run gets a work folder with a private copy of the program (its settings file and cut
# outputs land next to the executable), a folder of songs and a separate current directory.
# With E2E_IN_PLACE=1 the program runs where it is instead.
# Screenshots and the program's output are kept in ./e2e-artifacts/<run name>/ under the
# directory the test is started from.

set -euo pipefail

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_SKIP=77                # CTest reports this code as a skipped test
E2E_SCREEN=1024x768x24
E2E_TITLE='Clipvane'       # part of the main window's caption; xdotool matches case-insensitively
# The main window's client area is 432 px high; what lies above it is the menu bar, whose
# height depends on the font. Control positions below are measured from the client area.
E2E_CLIENT_HEIGHT=432

e2e_pids=()
e2e_dir=""
E2E_ARTIFACTS=""

e2e_log() { printf '[%s] %s\n' "$(date +%H:%M:%S.%N | cut -c1-12)" "$*" >&2; }

e2e_fail() {
    e2e_log "FAIL: $*"
    e2e_screenshot failure || true
    exit 1
}

e2e_require() { # tool...
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            e2e_log "SKIP: $tool is not installed (scripts/install-deps.sh --test installs it)"
            exit "$E2E_SKIP"
        fi
    done
}

# Ends every process this run started, newest first, and removes the work folder.
e2e_cleanup() {
    local status=$? i pid
    for ((i = ${#e2e_pids[@]} - 1; i >= 0; i--)); do
        pid=${e2e_pids[i]}
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            for _ in 1 2 3 4 5 6 7 8 9 10; do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.2
            done
            kill -9 "$pid" 2>/dev/null || true
        fi
        wait "$pid" 2>/dev/null || true
    done
    if [ -n "$e2e_dir" ]; then
        cp "$e2e_dir/tunora.log" "$E2E_ARTIFACTS/" 2>/dev/null || true
        rm -rf "$e2e_dir"
    fi
    if [ -n "${E2E_OWN_RUNTIME:-}" ]; then rm -rf "$E2E_OWN_RUNTIME"; fi
    exit "$status"
}

# e2e_copy_program <tunora binary> <folder>: the program and the run-time files it loads
# from beside itself (its modules: shared objects beside the binary, or in ../lib/tunora as
# an installation has them), whatever they are named.
e2e_copy_program() {
    local binary=$1 to=$2 dir file
    dir=$(dirname "$binary")
    cp "$binary" "$to/tunora"
    for file in "$dir"/*.so "$dir"/*.so.* "$dir"/../lib/tunora/*.so; do
        if [ -f "$file" ]; then cp "$file" "$to/"; fi
    done
}

# e2e_init <run name> <tunora binary> [program folder name]: work folder, private program
# copy (in a folder of the given name, "app" when none), artifacts folder.
e2e_init() {
    local name=$1 binary=$2 app_name=${3:-app}
    [ -x "$binary" ] || { e2e_log "no program at $binary"; exit 1; }
    E2E_ARTIFACTS="$PWD/e2e-artifacts/$name"
    rm -rf "$E2E_ARTIFACTS"
    mkdir -p "$E2E_ARTIFACTS"
    e2e_dir=$(mktemp -d "${TMPDIR:-/tmp}/tunora-e2e-$name.XXXXXX")
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
    E2E_SONGS="$e2e_dir/songs"
    E2E_CWD="$e2e_dir/cwd"
    mkdir -p "$E2E_SONGS" "$E2E_CWD"
    if [ "${E2E_IN_PLACE:-0}" = 1 ]; then
        # The program where it is (an unpacked package), finding its modules by itself; its
        # folder must be writable, as the settings file and the outputs land there.
        E2E_APP_DIR=$(cd "$(dirname "$binary")" && pwd)
        E2E_PROGRAM="$E2E_APP_DIR/$(basename "$binary")"
    else
        E2E_APP_DIR="$e2e_dir/$app_name"
        mkdir -p "$E2E_APP_DIR"
        e2e_copy_program "$binary" "$E2E_APP_DIR"
        E2E_PROGRAM="$E2E_APP_DIR/tunora"
    fi
    E2E_SETTINGS="$E2E_APP_DIR/初始化配置.ini"
}

# e2e_settings_file <encoding> <<EOF ... EOF: writes the settings file from UTF-8 text on stdin.
e2e_settings_file() {
    local encoding=$1
    if [ "$encoding" = UTF-8 ]; then
        cat >"$E2E_SETTINGS"
    else
        iconv -f UTF-8 -t "$encoding" >"$E2E_SETTINGS"
    fi
}

# e2e_song_settings <folder> <formats>: a settings file (UTF-8) naming only the song folder and
# the music formats, as most runs start.
e2e_song_settings() {
    printf '[歌曲目录]\n路径=%s/\n[音乐格式]\n格式=%s\n' "$1" "$2" | e2e_settings_file UTF-8
}

# e2e_make_song <file> <seconds> <frequency> <kbps>: a constant-bit-rate MP3 tone.
e2e_make_song() {
    local file=$1 seconds=$2 frequency=$3 kbps=$4
    sox -D -n -r 44100 -c 2 -b 16 "$e2e_dir/tone.wav" synth "$seconds" sine "$frequency" vol 0.7
    lame --quiet -b "$kbps" --cbr --noreplaygain "$e2e_dir/tone.wav" "$file"
    rm -f "$e2e_dir/tone.wav"
}

# Starts a private X server on a free display number, chosen by the server itself; further
# arguments go to Xvfb.
e2e_start_xvfb() {
    e2e_require Xvfb xdotool xwininfo import python3
    local fifo="$e2e_dir/displayfd" display=""
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "$E2E_SCREEN" -nolisten tcp -noreset "$@" 3>"$fifo" \
        >"$e2e_dir/xvfb.log" 2>&1 &
    e2e_pids+=($!)
    read -r -t 30 display <"$fifo" || true
    [ -n "$display" ] || { cat "$e2e_dir/xvfb.log"; e2e_fail "Xvfb did not start"; }
    export DISPLAY=":$display"
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM
    e2e_log "Xvfb on $DISPLAY"
}

# A system tray for the tray icon: trayer, docked at the bottom right corner of the screen.
e2e_start_tray() {
    e2e_require trayer
    trayer --edge bottom --align right --widthtype request --height 24 --SetDockType false \
        >"$e2e_dir/trayer.log" 2>&1 &
    e2e_pids+=($!)
    e2e_wait 20 "the tray to take the tray selection" e2e_x11 tray-owner >/dev/null
    e2e_wait 20 "the tray panel" e2e_tray_panel >/dev/null
}

# close <window> | tray-owner: X requests that xdotool does not make.
e2e_x11() { python3 "$E2E_LIB_DIR/x11_requests.py" "$@"; }

# The trayer panel window, when it is mapped.
e2e_tray_panel() { xdotool search --onlyvisible --classname '^panel$' 2>/dev/null | head -n 1; }

# The program's icon window inside the tray panel, with its geometry as "id x y w h"; empty
# when the tray holds no icon of ours.
e2e_tray_icon() {
    local panel
    panel=$(e2e_tray_panel)
    [ -n "$panel" ] || return 1
    xwininfo -tree -id "$panel" 2>/dev/null | awk '
        /"tunora": \("tunora" "tunora"\)/ {
            split($NF, abs, "+"); split($(NF-1), size, "[x+]");
            print $1, abs[2], abs[3], size[1], size[2]; found = 1; exit
        }
        END { exit !found }'
}

# Waits for the program's tray icon and prints "id x y w h" once the tray has laid it out:
# the panel grows to take a new icon, so the first place it shows may not be its last.
e2e_wait_tray_icon() { # seconds
    local deadline=$((SECONDS + $1)) previous="" now
    while true; do
        now=$(e2e_tray_icon || true)
        if [ -n "$now" ] && [ "$now" = "$previous" ]; then
            printf '%s\n' "$now"
            return 0
        fi
        [ "$SECONDS" -lt "$deadline" ] || e2e_fail "timed out after $1s waiting for the tray icon"
        previous=$now
        sleep 0.3
    done
}

# Starts the program from the run's current directory; its output goes to tunora.log.
e2e_start_tunora() {
    # No session bus: a desktop session the tests run in must not take the tray icon.
    (cd "$E2E_CWD" && DBUS_SESSION_BUS_ADDRESS="unix:path=$e2e_dir/no-session-bus" exec "$E2E_PROGRAM") \
        >"$e2e_dir/tunora.log" 2>&1 &
    E2E_TUNORA_PID=$!
    e2e_pids+=("$E2E_TUNORA_PID")
    e2e_log "tunora started, pid $E2E_TUNORA_PID"
}

# e2e_in_own_session "$@": runs the script again inside a session bus of its own
# (dbus-run-session) and a runtime folder of its own, where the accessibility bus keeps its
# socket (without XDG_RUNTIME_DIR it would be the user's one ~/.cache/at-spi, and one run's
# end would remove another's). Returns at once inside it.
e2e_in_own_session() {
    [ -n "${E2E_SESSION_BUS:-}" ] && return 0
    e2e_require dbus-run-session
    local runtime
    runtime=$(mktemp -d "${TMPDIR:-/tmp}/tunora-e2e-runtime.XXXXXX")
    E2E_SESSION_BUS=1 E2E_OWN_RUNTIME=$runtime XDG_RUNTIME_DIR=$runtime exec dbus-run-session -- bash "$0" "$@"
}

# Screen-reader runs, inside a session bus of their own (e2e_in_own_session) so the
# accessibility bus it starts is theirs alone. Debian's pyatspi lives in the system Python.
e2e_require_atspi() {
    e2e_require /usr/bin/python3
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || {
        e2e_log "SKIP: python3-pyatspi is not installed (scripts/install-deps.sh --test installs it)"
        exit "$E2E_SKIP"
    }
}
atspi() { /usr/bin/python3 "$E2E_LIB_DIR/atspi_tree.py" "$@"; }

# Starts the program (with the arguments given) with Qt's accessibility bridge on and waits
# until its window is on the accessibility bus.
e2e_start_tunora_for_atspi() {
    (cd "$E2E_CWD" && QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$E2E_PROGRAM" "$@") >"$e2e_dir/tunora.log" 2>&1 &
    E2E_TUNORA_PID=$!
    e2e_pids+=("$E2E_TUNORA_PID")
    e2e_wait_main_window 30
    on_bus() { atspi dump >/dev/null && echo yes; }
    e2e_wait 30 "the window on the accessibility bus" on_bus >/dev/null
}

# e2e_wait <seconds> <what> <command...>: runs the command until it succeeds and prints its
# output; fails the run when the time is up.
e2e_wait() {
    local seconds=$1 what=$2 output
    shift 2
    local deadline=$((SECONDS + seconds))
    while true; do
        if output=$("$@") && [ -n "$output" ]; then
            printf '%s\n' "$output"
            return 0
        fi
        [ "$SECONDS" -lt "$deadline" ] || e2e_fail "timed out after ${seconds}s waiting for $what"
        sleep 0.1
    done
}

e2e_visible_main_window() { xdotool search --onlyvisible --name "$E2E_TITLE" 2>/dev/null | head -n 1; }
e2e_any_main_window() { xdotool search --name "$E2E_TITLE" 2>/dev/null | head -n 1; }
e2e_message_box() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
e2e_gone() { "$@" >/dev/null 2>&1 && return 1; echo gone; }

# Waits for the main window to be shown and records the origin of its client area in
# E2E_CX, E2E_CY (screen coordinates). There is no window manager, so no frame either.
e2e_wait_main_window() {
    E2E_WINDOW=$(e2e_wait "${1:-30}" "the main window" e2e_visible_main_window)
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$E2E_WINDOW")"
    E2E_WX=$X E2E_WY=$Y E2E_WW=$WIDTH E2E_WH=$HEIGHT
    E2E_CX=$X
    E2E_CY=$((Y + HEIGHT - E2E_CLIENT_HEIGHT))
    e2e_log "main window $E2E_WINDOW at $X,$Y size ${WIDTH}x$HEIGHT; client area at $E2E_CX,$E2E_CY"
}

# Mouse actions at client-area coordinates of the main window, as a person clicks.
e2e_click() { xdotool mousemove --sync $((E2E_CX + $1)) $((E2E_CY + $2)) click 1; }
e2e_double_click() { xdotool mousemove --sync $((E2E_CX + $1)) $((E2E_CY + $2)) click --repeat 2 --delay 80 1; }

# A checksum of what a part of the client area shows, to see a control change as the user
# sees it: e2e_region_sum <x> <y> <width> <height>.
e2e_region_sum() {
    import -display "$DISPLAY" -window root -crop "$3x$4+$((E2E_CX + $1))+$((E2E_CY + $2))" \
        -depth 8 rgb:- 2>/dev/null | md5sum | cut -d' ' -f1
}

# e2e_wait_region_change <seconds> <what> <checksum before> <x> <y> <width> <height>
e2e_wait_region_change() {
    local seconds=$1 what=$2 before=$3
    shift 3
    changed() { local now; now=$(e2e_region_sum "$@"); [ "$now" != "$before" ] && echo "$now"; }
    e2e_wait "$seconds" "$what" changed "$@" >/dev/null
}

e2e_screenshot() { # name
    [ -n "${DISPLAY:-}" ] && [ -n "$E2E_ARTIFACTS" ] || return 0
    import -display "$DISPLAY" -window root "$E2E_ARTIFACTS/$1.png" 2>/dev/null || true
}

# The song file the program has open right now (the player keeps the playing file open),
# with its read offset: "<path>\t<offset>".
e2e_open_song() {
    local fd target
    for fd in /proc/"$E2E_TUNORA_PID"/fd/*; do
        target=$(readlink "$fd" 2>/dev/null) || continue
        case "$target" in
            "$E2E_SONGS"/*)
                printf '%s\t%s\n' "$target" \
                    "$(awk '/^pos:/ { print $2 }' /proc/"$E2E_TUNORA_PID"/fdinfo/"${fd##*/}" 2>/dev/null)"
                return 0 ;;
        esac
    done
    return 1
}

e2e_playing_song() { # file name: prints it once the program has that song open
    local open
    open=$(e2e_open_song) || return 1
    [ "$(basename "${open%%$'\t'*}")" = "$1" ] && echo "$1"
}

# Dismisses a message box with the Return key, as the user presses it on its OK button.
e2e_dismiss_box() { # window id
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] || xdotool windowfocus --sync "$1"
    xdotool key Return
}

# Where the marking and cutting controls sit in the client area (the 剪切工具 group box),
# measured once from a screenshot: buttons as x y, boxes as x y width height.
E2E_START_MARK_BUTTON=(76 164)    # 按钮3 开始标记↓
E2E_END_MARK_BUTTON=(76 196)      # 按钮4 结束标记↑
E2E_CUT_ONE_BUTTON=(144 228)      # 按钮5 单个剪切
E2E_SONG_LIST_TOP_ROW=(116 275)   # 超级列表框1, first row under the column headers
E2E_START_BOX=(304 152 40 24)     # 编辑框3, shows the start mark once it is taken
E2E_END_BOX=(304 184 40 24)       # 编辑框4, the end mark
E2E_TOP_ROW_NAME=(20 268 180 14)  # the first row's 歌曲名 cell

# e2e_mark_and_cut <seconds between the marks> <screenshot name>: with a song playing, takes
# its start mark, then its end mark, selects the song list's top row, presses 单个剪切 and
# dismisses the outcome box. Each step waits until the window shows its effect, so a busy
# machine cannot merge them. Sets E2E_MARKED_FROM and E2E_MARKED_TO to the clicks' times.
e2e_mark_and_cut() {
    local before box
    before=$(e2e_region_sum "${E2E_START_BOX[@]}")
    e2e_click "${E2E_START_MARK_BUTTON[@]}"
    E2E_MARKED_FROM=$(date +%s.%N)
    e2e_wait_region_change 10 'the start mark' "$before" "${E2E_START_BOX[@]}"
    sleep "$1"
    before=$(e2e_region_sum "${E2E_END_BOX[@]}")
    e2e_click "${E2E_END_MARK_BUTTON[@]}"
    e2e_wait_region_change 10 'the end mark' "$before" "${E2E_END_BOX[@]}"
    E2E_MARKED_TO=$(date +%s.%N)
    before=$(e2e_region_sum "${E2E_TOP_ROW_NAME[@]}")
    e2e_click "${E2E_SONG_LIST_TOP_ROW[@]}"
    e2e_wait_region_change 10 'the row to be selected' "$before" "${E2E_TOP_ROW_NAME[@]}"
    e2e_click "${E2E_CUT_ONE_BUTTON[@]}"
    box=$(e2e_wait 15 'the message box 提示' e2e_message_box 提示)
    sleep 0.3
    e2e_screenshot "$2"
    e2e_dismiss_box "$box"
    e2e_wait 10 'the message box to close' e2e_gone e2e_message_box 提示 >/dev/null
}

# e2e_expect_exit <seconds> <code>: waits for the program to end and checks its exit code,
# then that no process of the run's program copy is left.
e2e_expect_exit() {
    local seconds=$1 expected=$2 code=0 deadline=$((SECONDS + $1))
    while kill -0 "$E2E_TUNORA_PID" 2>/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || e2e_fail "tunora still runs ${seconds}s after it was told to end"
        sleep 0.1
    done
    wait "$E2E_TUNORA_PID" || code=$?
    [ "$code" -eq "$expected" ] || e2e_fail "tunora exited with $code, expected $expected"
    local exe
    for exe in /proc/[0-9]*/exe; do
        if [ "$(readlink "$exe" 2>/dev/null)" = "$E2E_PROGRAM" ]; then
            e2e_fail "a tunora process is left: ${exe%/exe}"
        fi
    done
    e2e_log "tunora exited with $code; no process of it is left"
}

# Starts the display, the tray host and the program, and waits for the program's tray
# icon; sets icon, icon_x, icon_y, icon_w and icon_h.
e2e_start_in_tray() {
    e2e_start_xvfb
    e2e_start_tray
    e2e_start_tunora
    local found
    found=$(e2e_wait_tray_icon 30)
    read -r icon icon_x icon_y icon_w icon_h <<<"$found"
    e2e_log "tray icon $icon at $icon_x,$icon_y"
}

# A headless Wayland compositor (weston with its desktop shell and panel), for runs of the
# program on Qt's native Wayland platform. Sets XDG_RUNTIME_DIR and WAYLAND_DISPLAY and drops
# DISPLAY, so nothing reaches an X server.
e2e_start_weston() {
    e2e_require weston weston-screenshooter
    export XDG_RUNTIME_DIR="$e2e_dir/runtime"
    mkdir -p "$XDG_RUNTIME_DIR" "$e2e_dir/shots"
    chmod 700 "$XDG_RUNTIME_DIR"
    export WAYLAND_DISPLAY=wayland-e2e
    unset DISPLAY QT_QPA_PLATFORM
    # --debug opens the screenshot protocol to clients.
    weston --backend=headless-backend.so --shell=desktop-shell.so --use-pixman --debug \
        --socket="$WAYLAND_DISPLAY" --width=1024 --height=768 --idle-time=0 \
        >"$e2e_dir/weston.log" 2>&1 &
    e2e_pids+=($!)
    socket_up() { [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && echo up; }
    e2e_wait 30 "weston's socket" socket_up >/dev/null
    e2e_log "weston on $WAYLAND_DISPLAY"
}

# e2e_weston_screenshot <name>: the compositor's output as artifacts/<name>.png; prints the path.
e2e_weston_screenshot() {
    local shot
    rm -f "$e2e_dir/shots"/*.png
    (cd "$e2e_dir/shots" && weston-screenshooter) >/dev/null 2>&1 || return 1
    shot=$(ls "$e2e_dir/shots"/*.png 2>/dev/null | head -n 1)
    [ -n "$shot" ] || return 1
    mv "$shot" "$E2E_ARTIFACTS/$1.png"
    echo "$E2E_ARTIFACTS/$1.png"
}
