#!/usr/bin/env bash
# A copy killed outright saves nothing and does not keep the next start from running.
. "$(dirname "$0")/lib.sh"
e2e_init killed_copy
app_install
install -m 644 "$E2E_DATA/first_save.ini" "$APP_INI"
sum=$(sha256sum <"$APP_INI")

app_start
app_window
fill_fields 9
kill -KILL "$APP_PID"
app_expect_exit 137
check_eq "settings file after SIGKILL" "$sum" "$(sha256sum <"$APP_INI")"

app_start
app_window
app_close
app_expect_exit 0
