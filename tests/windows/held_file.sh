#!/usr/bin/env bash
# Another program (a virus scanner, a sync client) holds palvoren.ini without sharing it for a
# moment. Held while the program starts, the file cannot be read: the fields start empty, and the
# close still keeps every value the user did not change, position included, and saves the one that
# was typed. Held at the close, the save waits for it and then saves, with no box.
. "$(dirname "$0")/wine_lib.sh"
wine_e2e_init windows_held_file
: "${PALVOREN_PROBE:?PALVOREN_PROBE is not set}"
app_install
printf '[Form]\r\nTop=120\r\nLeft=140\r\n[Value]\r\nedit1=2\r\nedit2=0\r\nedit3=1\r\n' >"$APP_INI"

hold() {  # milliseconds : the probe holds APP_INI that long; returns once it holds it
    local out=$E2E_TMP/hold.$RANDOM
    WINEPATH="$(wine_path "$WINE_DLL_DIRS")" wine "$PALVOREN_PROBE" lock "Z:$APP_INI" "$1" >"$out" 2>&1 &
    local i
    for ((i = 0; i < 600; i++)); do
        grep -q locked "$out" 2>/dev/null && return 0
        sleep 0.05
    done
    fail "the probe did not take the file: $(cat "$out")"
}

hold 8000
app_start
app_ready 60
sleep 8
fill_fields "" 5
app_close
app_expect_exit 0 20
for pair in Top=120 Left=140; do check_eq "${pair%=*}" "${pair#*=}" "$(ini_get Form "${pair%=*}")"; done
for pair in 1=2 2=5 3=1 4=; do
    check_eq "edit${pair%=*}" "${pair#*=}" "$(ini_get Value "edit${pair%=*}")"
done

app_start
app_ready 60
fill_fields 7
hold 1000
app_close
app_expect_exit 0 20
check_eq "edit1 saved after the hold" 7 "$(ini_get Value edit1)"
