#!/usr/bin/env bash
# In the Japanese code page (932): a settings file in Shift-JIS, as the platform's own programs
# write it, shows its Japanese texts and survives a start and a close byte for byte; a Japanese
# text moved to another field is written back in Shift-JIS.
. "$(dirname "$0")/wine_lib.sh"
wine_e2e_init windows_shift_jis
app_install

settings() {  # edit1 edit2 : the settings file, in code page 932 with CR LF lines
    {
        printf '[Form]\r\nTop=120\r\nLeft=140\r\n; 日本語の注記\r\n[Value]\r\n'
        printf 'edit1=%s\r\nedit2=%s\r\nedit3=表ｱ３\r\n' "$1" "$2"
        for n in $(seq 4 96); do printf 'edit%d=\r\n' "$n"; done
    } | iconv -f UTF-8 -t CP932
}
settings 日本 "" >"$APP_INI"
settings 日本 "" >"$E2E_TMP/before.ini"

app_start
app_ready 60
window_shot windows-shift-jis >/dev/null
app_close
app_expect_exit 0 20
cmp "$E2E_TMP/before.ini" "$APP_INI" || fail "the file changed: $(iconv -f CP932 -t UTF-8 "$APP_INI" | head -8)"

# The first field starts focused with its text selected. Cut there and pasted into the second,
# the text goes from Shift-JIS to the window and back through the code page.
app_start
app_ready 60
keys ctrl+x Tab ctrl+v
app_close
app_expect_exit 0 20
settings "" 日本 >"$E2E_TMP/moved.ini"
cmp "$E2E_TMP/moved.ini" "$APP_INI" || fail "after the move: $(iconv -f CP932 -t UTF-8 "$APP_INI" | head -8)"
