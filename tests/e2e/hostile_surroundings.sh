#!/usr/bin/env bash
# What the machine does around a running copy must not cost the user's scores: the program file
# replaced under it (an upgrade or a rebuild) still saves into the settings file it loaded from,
# and a display that goes away (a dropped remote session, a crashed server) still saves them.
. "$(dirname "$0")/lib.sh"
e2e_init hostile_surroundings
app_install

# An upgrade: a new file moved over the program while it runs.
app_start
app_window
fill_fields 5 6
cp "$APP_EXE" "$E2E_TMP/new"
mv "$E2E_TMP/new" "$APP_EXE"
app_close
app_expect_exit 0
check_eq "edit1 after the program file was replaced" 5 "$(ini_get Value edit1)"
check_eq "files beside the program" "$(basename "$APP_EXE") $(basename "$APP_INI")" \
    "$(ls "$APP_DIR" | sort | tr '\n' ' ' | sed 's/ $//')"

# The display goes away; the program ends, as it must, but saves first.
app_start
app_window
fill_fields 7
kill "$E2E_XVFB_PID"
E2E_XVFB_PID=
app_wait_exit 10
check_eq "edit1 after the display went away" 7 "$(ini_get Value edit1)"
check_eq "edit2 after the display went away" 6 "$(ini_get Value edit2)"
