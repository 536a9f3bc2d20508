#!/usr/bin/env bash
# Texts and position survive a restart unchanged: a run that changes nothing saves the same file,
# so the window neither drifts by its frame nor loses or alters a text (free text included).
. "$(dirname "$0")/lib.sh"
e2e_init restart
app_install
texts=(3 -1 abc "" 0x10 7 12345678901 2 "" "" 9 "a b")

app_start
app_window
fill_fields "${texts[@]}"
app_close
app_expect_exit 0
cp "$APP_INI" "$E2E_TMP/first.ini"
for i in "${!GROUP_A_FIELDS[@]}"; do
    check_eq "edit${GROUP_A_FIELDS[$i]} after the first run" "${texts[$i]}" "$(ini_get Value "edit${GROUP_A_FIELDS[$i]}")"
done

for round in 2 3; do
    app_start
    app_window
    app_close
    app_expect_exit 0
    cmp -s "$E2E_TMP/first.ini" "$APP_INI" ||
        fail "run $round saved something else: $(diff "$E2E_TMP/first.ini" "$APP_INI" | head -5 | tr '\n' ' ')"
done
