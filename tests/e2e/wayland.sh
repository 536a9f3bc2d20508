#!/usr/bin/env bash
# A Wayland session (weston, headless). With an X display beside it, as XWayland gives, the program
# runs on X, so its window opens where it was saved. A platform the user chose stands. On Wayland
# itself, where no client learns where its window is, the saved position is written back as it
# was; the fixed size reaches the compositor as equal least and largest sizes; and the end of the
# compositor, which ends the program, still saves the scores.
. "$(dirname "$0")/lib.sh"
e2e_init wayland
for tool in weston weston-debug weston-screenshooter; do
    command -v "$tool" >/dev/null || fail "missing $tool (Debian: weston)"
done
app_install
x_display=$DISPLAY
# In the sanitizer build: Qt's Wayland platform and the EGL driver it loads keep allocations of
# their own at exit, beyond the reach of a suppression by library name; the X tests check ours.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0

# A fresh compositor for each case; its protocol traffic goes to $PROTO.
weston_start() {  # name
    export WAYLAND_DISPLAY=wl-$1 PROTO=$E2E_TMP/$1.proto
    weston --backend=headless-backend.so --use-pixman --socket="$WAYLAND_DISPLAY" --idle-time=0 \
        --width=1024 --height=768 --debug >"$E2E_TMP/$1.weston.log" 2>&1 &
    WESTON_PID=$!
    E2E_UNDO+=("kill $WESTON_PID")
    local i
    for ((i = 0; i < 100; i++)); do
        [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break
        sleep 0.05
    done
    weston-debug proto >>"$PROTO" 2>&1 &
    sleep 0.3
}

wayland_start() {  # : starts the program and waits until its window is up on the compositor
    : >"$PROTO"
    app_start
    local i
    for ((i = 0; i < 200; i++)); do
        grep -q 'set_title("Palvoren")' "$PROTO" && grep -q 'wl_surface@[0-9]*\.commit' "$PROTO" &&
            { sleep 0.5; return 0; }
        [ -n "$(app_status)" ] && fail "the program ended (status $(app_status))"
        sleep 0.05
    done
    fail "no window on the compositor"
}

settings() {  # the saved place, group A's first score, and nothing for the other fields
    printf '[Form]\nTop=300\nLeft=400\n[Value]\nedit1=2\n' >"$APP_INI"
}

check_kept() {  # case : the place and the score as they were, every key written
    check_eq "$1: Top" 300 "$(ini_get Form Top)"
    check_eq "$1: Left" 400 "$(ini_get Form Left)"
    check_eq "$1: edit1" 2 "$(ini_get Value edit1)"
    check_eq "$1: keys" 100 "$(grep -c '' "$APP_INI")"
}

export XDG_SESSION_TYPE=wayland
unset QT_QPA_PLATFORM

# On Wayland alone: closed the normal way.
weston_start alone
unset DISPLAY
settings
wayland_start
(cd "$E2E_ARTIFACTS" && weston-screenshooter >/dev/null 2>&1 &&
    mv "$(ls -t wayland-screenshot-*.png | head -1)" wayland-window.png)
sizes=$(grep -o 'set_m[a-z]*_size([0-9, ]*)' "$PROTO" | tail -2 | sed 's/.*(//' | sort -u)
check_eq "least and largest size" "538, 448)" "$sizes"
kill -TERM "$APP_PID"
app_expect_exit 0 10
check_kept "closed on Wayland"

# On Wayland alone: the compositor ends, and with it the connection and the program.
settings
wayland_start
kill "$WESTON_PID"
app_wait_exit 10
check_kept "compositor ended"

# An X display beside the compositor: the window opens on X, where it was saved.
weston_start beside
export DISPLAY=$x_display
settings
app_start
app_window
check_eq "frame on X" "400 300" "$(window_origin | cut -d' ' -f3-)"
grep -q 'set_title("Palvoren")' "$PROTO" && fail "the window went to the compositor"
app_close
app_expect_exit 0
check_kept "on X beside"

# The user's choice of Wayland stands, X display or not.
settings
QT_QPA_PLATFORM=wayland wayland_start
kill -TERM "$APP_PID"
app_expect_exit 0 10
check_kept "Wayland chosen"
