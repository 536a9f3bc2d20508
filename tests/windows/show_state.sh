#!/usr/bin/env bash
# Started as a shortcut set to "minimised" starts it (show state 7), the window is minimised to its
# taskbar entry and does not take the activation, and restored from there it is normal;
# "maximised" (3) maximises it; any other state shows it normally. Closed while minimised or
# maximised, it saves the place it has in the normal state, not that of the minimised or maximised
# frame.
. "$(dirname "$0")/wine_lib.sh"
wine_e2e_init windows_show_state
: "${START_SHOWN:?START_SHOWN is not set}"
app_install
exe=$APP_EXE
APP_EXE=$(winepath -w "$exe" 2>/dev/null)

start_shown() {  # state : starts the program so; sets APP_WIN once its window is mapped or iconic
    printf '[Form]\r\nTop=300\r\nLeft=400\r\n' >"$APP_INI"
    APP_RUNNER=(wine "$START_SHOWN" "$1")
    app_start
    local i id
    for ((i = 0; i < 600; i++)); do
        # The program is a child of the starter: its window is found by name alone.
        for id in $(xdotool search --name "^$APP_TITLE\$" 2>/dev/null); do
            xprop -id "$id" WM_STATE 2>/dev/null | grep -q 'window state: \(Normal\|Iconic\)' &&
                { APP_WIN=$id; sleep 1; return 0; }
        done
        [ -n "$(app_status)" ] && fail "state $1: the program ended (status $(app_status))"
        sleep 0.1
    done
    fail "state $1: no window"
}

shown_as() {  # : "Normal|Iconic maximised|- active|-" for APP_WIN
    local state net active
    state=$(xprop -id "$APP_WIN" WM_STATE | sed -n 's/.*window state: //p')
    net=$(xprop -id "$APP_WIN" _NET_WM_STATE)
    active=$(xdotool getactivewindow 2>/dev/null)
    echo "$state $([[ $net == *MAXIMIZED_VERT* ]] && echo maximised || echo -)" \
        "$([ "$active" = "$APP_WIN" ] && echo active || echo -)"
}

# state, restored from the taskbar first, and how the window then shows
for row in "7 no Iconic - -" "7 yes Normal - active" "3 no Normal maximised active" \
    "2 no Normal - active" "0 no Normal - active"; do
    read -r state restored expected <<<"$row"
    start_shown "$state"
    if [ "$restored" = yes ]; then
        wmctrl -i -a "$APP_WIN"
        sleep 1
    fi
    check_eq "state $state, restored: $restored" "$expected" "$(shown_as)"
    app_close
    app_expect_exit 0 20
    if [[ $row == "7 no"* || $state == 3 ]]; then
        check_eq "state $state: Top" 300 "$(ini_get Form Top)"
        check_eq "state $state: Left" 400 "$(ini_get Form Left)"
    fi
done
