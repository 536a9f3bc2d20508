#!/usr/bin/env bash
# SIGTERM ends the program as a close would: status 0, typed texts saved.
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
