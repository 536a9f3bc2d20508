#!/usr/bin/env bash
# The end of an X session through a real session manager (xsm): its Shutdown asks the program to
# save itself, then to die. The typed scores are saved; with a settings file that cannot be written
# nothing holds the log-out up: no box, status 0, the file as it was, the failure on standard error.
. "$(dirname "$0")/lib.sh"
e2e_init session_manager
app_install
export HOME=$E2E_TMP/home ICEAUTHORITY=$E2E_TMP/home/.ICEauthority

# A new session under xsm, and the program in it, typing the texts given.
session_with_program() {
    rm -rf "$HOME" && mkdir -p "$HOME"
    # xsm runs each line of the file as a command of its own; this one says where xsm listens.
    echo "env >$E2E_TMP/session.env" >"$HOME/.xsmstartup"
    rm -f "$E2E_TMP/session.env"
    xsm >"$E2E_TMP/xsm.log" 2>&1 &
    E2E_APP_PIDS+=($!)
    for ((i = 0; i < 200; i++)); do [ -s "$E2E_TMP/session.env" ] && break; sleep 0.05; done
    export "$(grep '^SESSION_MANAGER=' "$E2E_TMP/session.env")" || fail "xsm did not start"
    app_start
    app_window
    fill_fields "$@"
}

# xsm's Shutdown, With Checkpoint, under a session name, clicked where its windows have them.
session_shutdown() {
    local X Y id
    id=$(xdotool search --sync --onlyvisible --name '^xsm: ')
    xdotool windowactivate --sync "$id"
    eval "$(xdotool getwindowgeometry --shell "$id")"
    xdotool mousemove $((X + 141)) $((Y + 28)) mousedown 1 sleep 0.4 \
        mousemove $((X + 161)) $((Y + 56)) sleep 0.2 mouseup 1
    id=$(xdotool search --sync --onlyvisible --name '^Shutdown$')
    xdotool windowactivate --sync "$id"
    eval "$(xdotool getwindowgeometry --shell "$id")"
    xdotool mousemove $((X + 170)) $((Y + 28)) click 1 sleep 0.2 type --delay 20 e2e
    xdotool mousemove $((X + 47)) $((Y + 116)) sleep 0.2 click 1
}

session_with_program 2 0
session_shutdown
app_expect_exit 0 10
check_eq edit1 2 "$(ini_get Value edit1)"
check_eq edit2 0 "$(ini_get Value edit2)"

chmod 444 "$APP_INI"
sum=$(sha256sum <"$APP_INI")
session_with_program 9
session_shutdown
app_expect_exit 0 10
check_eq "settings file" "$sum" "$(sha256sum <"$APP_INI")"
grep -qF "$APP_INI に書き込めません" "$E2E_TMP/app.$APP_RUN.log" || fail "no message on standard error"
