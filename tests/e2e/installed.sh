#!/usr/bin/env bash
# The program as `cmake --install` puts it on a desktop, here under a home folder with blanks in its
# name: one menu entry that starts the installed copy by its path, an icon of every size in the
# hicolor theme that is still the picture's pixel art, the manual page, and the settings file kept
# beside the installed program where its folder takes files, else in the user's configuration.
E2E_A11Y=1
. "$(dirname "$0")/lib.sh"
e2e_init installed

prefix="$E2E_TMP/home with blanks/.local"
cmake --install "$(dirname "$PALVOREN")" --prefix "$prefix" >"$E2E_TMP/install.log" 2>&1 ||
    { sed 's/^/    /' "$E2E_TMP/install.log" >&2; fail "cmake --install failed"; }

entries=("$prefix"/share/applications/*.desktop)
check_eq "menu entries" 1 "${#entries[@]}"
entry_get() { sed -n "s/^$1=//p" "${entries[0]}"; }
# Split into words as the desktop does, quotes and all.
eval "exec_words=($(entry_get Exec))"
APP_EXE=${exec_words[0]}
APP_DIR=$prefix/bin
APP_INI=$APP_DIR/palvoren.ini
check_eq "the entry starts" "1 $APP_DIR/palvoren" "${#exec_words[@]} $APP_EXE"
icon=$(entry_get Icon)
[ -n "$(zcat "$prefix/share/man/man1/palvoren.1.gz" | grep '^\.SH FILES')" ] || fail "no manual page"
check_eq "metainfo for the entry" "$icon.desktop" "$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$prefix/share/metainfo/$icon.metainfo.xml")"
for size in 16 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x$size/apps/$icon.png
    [ -f "$png" ] || fail "no $size px icon"
    read -r geometry colours <<<"$(identify -format '%wx%h %k' "$png")"
    check_eq "size of the $size px icon" "${size}x$size" "$geometry"
    # Sixteen colours and transparency at most: smoothing would have blended new ones in.
    ((colours <= 17)) || fail "the $size px icon has $colours colours"
done

# A folder the user cannot write: the mode does it for a user, root needs a read-only mount.
chmod a-w "$APP_DIR"
E2E_UNDO+=("chmod u+w '$APP_DIR'")
if [ -w "$APP_DIR" ] && mount --bind "$APP_DIR" "$APP_DIR" 2>/dev/null; then
    E2E_UNDO+=("umount '$APP_DIR'")
    mount -o remount,ro,bind "$APP_DIR" 2>/dev/null
fi
if [ -w "$APP_DIR" ]; then
    log "cannot make $APP_DIR unwritable here; that part skipped"
else
    export XDG_CONFIG_HOME="$E2E_TMP/config home"
    app_start
    app_window
    fill_fields 5 3
    app_close
    app_expect_exit 0
    check_eq "edit1 in the user's configuration" 5 \
        "$(ini_get Value edit1 "$XDG_CONFIG_HOME/palvoren/palvoren.ini")"
    [ -e "$APP_INI" ] && fail "a settings file appeared in the unwritable folder"
fi
mountpoint -q "$APP_DIR" && umount "$APP_DIR"
chmod u+w "$APP_DIR"

app_start
app_window
fill_fields 2 1
app_close
app_expect_exit 0
check_eq "edit1 beside the installed program" 2 "$(ini_get Value edit1)"
check_eq "files beside the program" "palvoren palvoren.ini" "$(ls "$APP_DIR" | tr '\n' ' ' | sed 's/ $//')"
