#!/usr/bin/env bash
# The session ends with the program open (log-off, restart, shut-down: wineboot sends
# WM_QUERYENDSESSION and WM_ENDSESSION as Windows does, and then ends the process): the program
# agrees at once, and the scores typed before are saved, in the same file as at a close. A save
# that fails then shows no box, which no one would answer, and leaves the old file as it was.
. "$(dirname "$0")/wine_lib.sh"
wine_e2e_init windows_session_end
app_install
printf '[Form]\r\nTop=120\r\nLeft=140\r\n[Value]\r\nedit3=9\r\n' >"$APP_INI"

app_start
app_ready 60
fill_fields 3 1 "" 7
t0=$EPOCHREALTIME
timeout 60 wineboot --end-session || fail "wineboot --end-session: status $?"
app_wait_exit 20
ms=$(awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN {printf "%.0f", (b - a) * 1000}')
log "the program ended $ms ms after the session's end began, with status $APP_STATUS"
for pair in 1=3 2=1 3= 4=7; do
    check_eq "edit${pair%=*}" "${pair#*=}" "$(ini_get Value "edit${pair%=*}")"
done
check_eq "keys" 98 "$(ini_keys | wc -l)"
check_eq "files beside the program" "" "$(cd "$APP_DIR" && ls palvoren.ini?* 2>/dev/null)"

# A file that cannot be written: the session still ends at once, with no box left waiting for an
# answer, and the file stays as it was.
chmod 444 "$APP_INI"
sum=$(sha256sum <"$APP_INI")
app_start
app_ready 60
fill_fields 5
timeout 60 wineboot --end-session || fail "wineboot --end-session with a read-only file: status $?"
app_wait_exit 20
check_eq "settings file after a failed save" "$sum" "$(sha256sum <"$APP_INI")"
