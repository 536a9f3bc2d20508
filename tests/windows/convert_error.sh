#!/usr/bin/env bash
# A score that is not an integer: 計算 shows the error box "Palvoren" over the window (its picture
# goes to the artifacts), OK dismisses it, and the program goes on and saves at its end.
. "$(dirname "$0")/wine_lib.sh"
wine_e2e_init windows_convert_error
app_install

app_start
app_ready 60
fill_fields 2a 1                                     # a match with both scores, one of them bad
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space  # through the page's fields to 計算
dialog_window 20
shot_of "$DIALOG_WIN" windows-error-box >/dev/null
screenshot box >/dev/null
check_eq "windows named $APP_TITLE" 2 "$(windows_named | wc -l)"
xdotool windowactivate --sync "$DIALOG_WIN" 2>/dev/null
keys Return
for ((i = 0; i < 100; i++)); do [ "$(windows_named | wc -l)" == 1 ] && break; sleep 0.05; done
check_eq "windows named $APP_TITLE after OK" 1 "$(windows_named | wc -l)"
[ -z "$(app_status)" ] || fail "the program ended after OK"

app_close
app_expect_exit 0 20
check_eq edit1 2a "$(ini_get Value edit1)"
check_eq edit2 1 "$(ini_get Value edit2)"
