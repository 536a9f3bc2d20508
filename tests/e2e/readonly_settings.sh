#!/usr/bin/env bash
# A settings file that cannot be written: closing shows one box with its path and " に書き込めません.",
# OK ends the program with status 0, and the file is as it was. Each way of making it unwritable is
# one that holds for root too.
E2E_A11Y=1
. "$(dirname "$0")/lib.sh"
e2e_init readonly_settings

protect() {  # how : makes APP_INI unwritable, or returns 1 when this machine cannot
    case $1 in
    mode_444) chmod 444 "$APP_INI" ;;
    immutable) chattr +i "$APP_INI" 2>/dev/null && E2E_UNDO+=("chattr -i '$APP_INI'") ;;
    read_only_mount)
        mount --bind "$APP_DIR" "$APP_DIR" 2>/dev/null || return 1
        E2E_UNDO+=("umount '$APP_DIR'")
        mount -o remount,ro,bind "$APP_DIR" 2>/dev/null ;;
    esac
}

for how in mode_444 immutable read_only_mount; do
    app_install
    install -m 644 "$E2E_DATA/first_save.ini" "$APP_INI"
    if ! protect $how; then
        log "$how: not possible here, skipped"
        continue
    fi
    sum=$(sha256sum <"$APP_INI")
    app_start
    app_window
    fill_fields 4 4
    app_close
    dialog_window
    check_eq "$how: windows named $APP_TITLE" 1 "$(windows_named | wc -l)"
    screenshot "$how" >/dev/null
    if [ "$E2E_A11Y" = 1 ]; then
        check_eq "$how: box text" "$APP_INI に書き込めません." "$(a11y_box_text)"
    fi
    xdotool windowactivate --sync "$DIALOG_WIN" 2>/dev/null
    keys Return
    app_expect_exit 0 5
    check_eq "$how: settings file" "$sum" "$(sha256sum <"$APP_INI")"
    check_eq "$how: files beside the program" "$(basename "$APP_EXE") $(basename "$APP_INI")" "$(ls "$APP_DIR" | sort | tr '\n' ' ' | sed 's/ $//')"
done
