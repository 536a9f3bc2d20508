#!/usr/bin/env bash
# While one copy runs, another start ends at once with status 0, shows no window and leaves the
# settings file alone: from the same folder and from a copy elsewhere.
. "$(dirname "$0")/lib.sh"
e2e_init second_copy
app_install
install -m 644 "$E2E_DATA/first_save.ini" "$APP_INI"
first_exe=$APP_EXE first_ini=$APP_INI
app_start
app_window
first_run=$APP_RUN first_win=$APP_WIN
sum=$(sha256sum <"$first_ini")

for where in same_folder other_folder; do
    if [ $where == other_folder ]; then
        app_install
        install -m 644 "$E2E_DATA/first_save.ini" "$APP_INI"
    fi
    other_ini=$APP_INI
    other_sum=$(sha256sum <"$other_ini")
    t0=$EPOCHREALTIME
    app_start
    app_wait_exit 2
    log "$where: ended with $APP_STATUS after $(awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN {printf "%.0f", (b - a) * 1000}') ms"
    check_eq "$where: exit status" 0 "$APP_STATUS"
    check_eq "$where: windows named $APP_TITLE" 1 "$(windows_named | wc -l)"
    check_eq "$where: its settings file" "$other_sum" "$(sha256sum <"$other_ini")"
    check_eq "$where: the first copy's settings file" "$sum" "$(sha256sum <"$first_ini")"
    [ -z "$(app_status "$first_run")" ] || fail "$where: the first copy ended"
    APP_EXE=$first_exe
done

# The first copy still works and saves at its end.
APP_RUN=$first_run APP_WIN=$first_win APP_INI=$first_ini
app_focus
fill_fields 5
app_close
app_expect_exit 0
check_eq edit1 5 "$(ini_get Value edit1)"
