#!/usr/bin/env bash
# The end of an X session through a real session manager (xsm, started with the program from
# ~/.xsmstartup): "Shutdown" asks the program to save itself, then to die. The typed scores are
# saved; with a settings file that cannot be written nothing holds the log-out up: no box, the
# program ends, the file stays as it was, the failure is on standard error.
. "$(dirname "$0")/lib.sh"
e2e_init session_manager
command -v xsm >/dev/null && command -v iceauth >/dev/null || fail "missing xsm or iceauth"
app_install
export HOME=$E2E_TMP/home
# libICE looks for the authority file in the runtime folder when there is one; xsm and the program
# must read the same file.
export ICEAUTHORITY=$HOME/.ICEauthority

# Starts a new session whose one client is the program; sets APP_PID, APP_RUN.
session_start() {
    E2E_RUN=$((E2E_RUN + 1))
    APP_RUN=$E2E_RUN
    rm -rf "$HOME" && mkdir -p "$HOME"
    # xsm runs each line of the file as a command of its own in the background.
    printf 'exec "%s" >"%s" 2>&1\n' "$APP_EXE" "$E2E_TMP/app.$APP_RUN.log" >"$E2E_TMP/client"
    echo "sh $E2E_TMP/client" >"$HOME/.xsmstartup"
    xsm >"$E2E_TMP/xsm.$APP_RUN.log" 2>&1 &
    E2E_APP_PIDS+=($!)
    local i
    for ((i = 0; i < 300; i++)); do
        APP_PID=$(pgrep -nf "^$APP_EXE\$") && break
        sleep 0.05
    done
    [ -n "$APP_PID" ] || fail "xsm did not start the program"
    E2E_APP_PIDS+=("$APP_PID")
}

# xsm's Shutdown, With Checkpoint, under a session name: where its buttons are in its windows.
session_shutdown() {
    local X Y
    local main dialog
    main=$(xdotool search --sync --onlyvisible --name '^xsm: ')
    xdotool windowactivate --sync "$main"
    eval "$(xdotool getwindowgeometry --shell "$main")"
    xdotool mousemove $((X + 141)) $((Y + 28)) mousedown 1 sleep 0.4 \
        mousemove $((X + 161)) $((Y + 56)) sleep 0.2 mouseup 1
    dialog=$(xdotool search --sync --onlyvisible --name '^Shutdown$')
    xdotool windowactivate --sync "$dialog"
    eval "$(xdotool getwindowgeometry --shell "$dialog")"
    xdotool mousemove $((X + 170)) $((Y + 28)) click 1 sleep 0.2 type --delay 20 e2e
    xdotool mousemove $((X + 47)) $((Y + 116)) sleep 0.2 click 1
}

session_expect_end() {  # the program has ended within 10 s, with no box left
    local i
    for ((i = 0; i < 200; i++)); do
        kill -0 "$APP_PID" 2>/dev/null || return 0
        sleep 0.05
    done
    screenshot held-up >/dev/null
    fail "the program still runs after the session's end ($(windows_named | wc -l) windows named $APP_TITLE)"
}

session_start
app_window
fill_fields 2 0
session_shutdown
session_expect_end
check_eq edit1 2 "$(ini_get Value edit1)"
check_eq edit2 0 "$(ini_get Value edit2)"

chmod 444 "$APP_INI"
sum=$(sha256sum <"$APP_INI")
session_start
app_window
fill_fields 9
session_shutdown
session_expect_end
check_eq "settings file" "$sum" "$(sha256sum <"$APP_INI")"
grep -qF "$APP_INI に書き込めません" "$E2E_TMP/app.$APP_RUN.log" || fail "no message on standard error"
