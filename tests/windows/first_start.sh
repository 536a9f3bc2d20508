#!/usr/bin/env bash
# The packed program, unpacked into a folder with a Japanese and a Korean name, deeper than
# MAX_PATH: its window opens with a fixed frame, a second copy ends at once with status 0 and no
# window of its own, and closing the window through the window manager writes palvoren.ini beside
# the program, in CR LF lines, with its 98 keys in order.
. "$(dirname "$0")/wine_lib.sh"
wine_e2e_init windows_first_start
deep=$E2E_TMP/設定_한국/$(printf 'x%.0s' {1..100})/$(printf 'y%.0s' {1..100})
app_install "$deep"
log "program path: ${#APP_EXE} characters"
app_start
app_ready 60
first_run=$APP_RUN first_win=$APP_WIN
window_shot windows-first-start >/dev/null
check_eq "client size" 538x448 "$(xwininfo -id "$APP_WIN" | awk '/^  Width/ {w = $2} /^  Height/ {h = $2} END {print w "x" h}')"
# What wine lets the window manager offer: close and minimise, but neither resize nor maximise.
actions=$(xprop -id "$APP_WIN" _NET_WM_ALLOWED_ACTIONS)
for action in CLOSE MINIMIZE; do [[ $actions == *_NET_WM_ACTION_$action* ]] || fail "cannot $action: $actions"; done
for action in RESIZE MAXIMIZE_HORZ MAXIMIZE_VERT; do [[ $actions == *_NET_WM_ACTION_$action* ]] && fail "can $action: $actions"; done

t0=$EPOCHREALTIME
app_start
app_wait_exit 20
log "second copy: ended with $APP_STATUS after $(awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN {printf "%.0f", (b - a) * 1000}') ms"
check_eq "exit status of the second copy" 0 "$APP_STATUS"
check_eq "windows named $APP_TITLE" 1 "$(windows_named | wc -l)"
[ -e "$APP_INI" ] && fail "the second copy wrote the settings file"

APP_RUN=$first_run APP_WIN=$first_win
[ -z "$(app_status)" ] || fail "the first copy ended"
app_close
app_expect_exit 0 20

[ -f "$APP_INI" ] || fail "no palvoren.ini beside the program"
expected=$'Form/Top\nForm/Left'
for n in $(seq 96); do expected+=$'\n'"Value/edit$n"; done
check_eq "keys in order" "$expected" "$(ini_keys)"
check_eq "lines without CR LF" 0 "$(grep -vc $'\r$' "$APP_INI")"
check_eq "lines" 100 "$(grep -c '' "$APP_INI")"
