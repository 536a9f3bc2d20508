#!/usr/bin/env bash
# SIGTERM ends the program as a close would: status 0, typed texts saved; a save that fails is
# reported on standard error, not in a box. A log-out's SIGTERM and SIGHUP together, in either
# order, and a SIGHUP that comes while the save runs, never cut the save short.
. "$(dirname "$0")/lib.sh"
e2e_init sigterm
app_install
scores=(2 0 1 1 4 4 0 3 1 1 2 2)

app_start
app_window
fill_fields "${scores[@]}"
kill -TERM "$APP_PID"
app_expect_exit 0 5
check_eq Top 108 "$(ini_get Form Top)"
check_eq Left 191 "$(ini_get Form Left)"
for i in "${!GROUP_A_FIELDS[@]}"; do
    check_eq "edit${GROUP_A_FIELDS[$i]}" "${scores[$i]}" "$(ini_get Value "edit${GROUP_A_FIELDS[$i]}")"
done

# As at a log-out: a settings file that cannot be written holds nothing up. No box, status 0, the
# file as it was, and the failure on standard error.
chmod 444 "$APP_INI"
sum=$(sha256sum <"$APP_INI")
app_start
app_window
fill_fields 9
kill -TERM "$APP_PID"
app_expect_exit 0 5
check_eq "windows named $APP_TITLE" 0 "$(windows_named | wc -l)"
check_eq "settings file" "$sum" "$(sha256sum <"$APP_INI")"
grep -qF "$APP_INI に書き込めません" "$E2E_TMP/app.$APP_RUN.log" || fail "no message on standard error"

# logind ends a session with SIGTERM and SIGHUP at once.
chmod 644 "$APP_INI"
for order in "TERM HUP" "HUP TERM"; do
    app_start
    app_window
    fill_fields 3
    for signal in $order; do kill -"$signal" "$APP_PID"; done
    app_expect_exit 0 5
    check_eq "edit1 after SIG${order/ /, SIG}" 3 "$(ini_get Value edit1)"
done

# A terminal's SIGHUP while the save of a large file runs: the save finishes whole.
{ echo "[Other]"; yes "filler=$(printf '%060d' 0)" | head -n 3000000; } >>"$APP_INI"
app_start
app_window 30
fill_fields 4
kill -TERM "$APP_PID"
for ((i = 0; i < 500; i++)); do
    compgen -G "$APP_INI?*" >/dev/null && break
    sleep 0.02
done
compgen -G "$APP_INI?*" >/dev/null || fail "no save under way to send SIGHUP into"
kill -HUP "$APP_PID"
app_expect_exit 0 60
check_eq "edit1 after a SIGHUP during the save" 4 "$(ini_get Value edit1)"
check_eq "lines of the other section" 3000001 "$(grep -c '^filler=\|^\[Other\]' "$APP_INI")"
