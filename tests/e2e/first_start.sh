#!/usr/bin/env bash
# A first start without a settings file: the window opens at its design position with empty fields,
# nothing is written while it runs, and the exit writes the position and all 96 texts.
. "$(dirname "$0")/lib.sh"
e2e_init first_start
app_install
scores=(0 1 1 2 0 0 1 1 0 2 3 3)

app_start
app_window
read -r cx cy fx fy <<<"$(window_origin)"
log "client at $cx,$cy, frame at $fx,$fy"
# Left 191, Top 108 is the outer corner; a client placed there instead would be a frame's width
# off, which the saved position below tells apart.
[ "$fx $fy" == "191 108" ] || [ "$cx $cy" == "191 108" ] || fail "window at $fx,$fy (client $cx,$cy), not 191,108"
check_eq "client size" 538x448 "$(xwininfo -id "$APP_WIN" | awk '/^  Width/ {w = $2} /^  Height/ {h = $2} END {print w "x" h}')"
# What the window manager lets the user do: close and minimise, but neither resize nor maximise.
actions=$(xprop -id "$APP_WIN" _NET_WM_ALLOWED_ACTIONS)
for action in CLOSE MINIMIZE; do [[ $actions == *_NET_WM_ACTION_$action* ]] || fail "cannot $action: $actions"; done
for action in RESIZE MAXIMIZE_HORZ MAXIMIZE_VERT; do [[ $actions == *_NET_WM_ACTION_$action* ]] && fail "can $action: $actions"; done
fill_fields "${scores[@]}"
keys space                                # 計算: Tab has wrapped through the fields onto the button
sleep 0.2
[ -e "$APP_INI" ] && fail "the settings file was written before exit"
screenshot calculated >/dev/null
app_close
app_expect_exit 0

check_eq Top 108 "$(ini_get Form Top)"
check_eq Left 191 "$(ini_get Form Left)"
declare -A typed
for i in "${!GROUP_A_FIELDS[@]}"; do typed[${GROUP_A_FIELDS[$i]}]=${scores[$i]}; done
for n in $(seq 96); do
    value=$(ini_get Value "edit$n") || fail "edit$n missing from the settings file"
    check_eq "edit$n" "${typed[$n]:-}" "$value"
done
