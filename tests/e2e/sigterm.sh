#!/usr/bin/env bash
# SIGTERM ends the program as a close would: status 0, typed texts saved; a save that fails is
# reported on standard error, not in a box.
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
