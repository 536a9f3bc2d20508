# End-to-end helpers for the Windows program: tests/e2e/lib.sh with the packed program under wine.
# Source it from a test script in this folder:
#
#   . "$(dirname "$0")/wine_lib.sh"
#   wine_e2e_init first_start      # display, window manager and wine, all ended on exit
#   app_install                    # the zip unpacked into a folder of its own
#
# Settings of the run (environment): PALVOREN_ZIP, the packed program; WINEPREFIX, a prefix that
# wine.sh boot made; E2E_ARTIFACTS, where pictures go.

WINE_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$WINE_LIB_DIR/../e2e/lib.sh"

: "${PALVOREN_ZIP:?PALVOREN_ZIP is not set}"
PALVOREN=$PALVOREN_ZIP  # only checked for existence by e2e_init

# lib.sh's display and window manager, then wine on them in the code page of the program's users.
wine_e2e_init() {  # test name
    command -v wine >/dev/null || { echo "missing wine" >&2; exit 2; }
    [ -f "$PALVOREN_ZIP" ] || { echo "no packed program at $PALVOREN_ZIP" >&2; exit 2; }
    PALVOREN=/bin/true e2e_init "$1"
    . "$WINE_LIB_DIR/wine.sh" || exit 2
    APP_RUNNER=(wine)
    # Whatever a test leaves running in the prefix ends with it, so that the next test's programs
    # meet a wine of their own display.
    E2E_UNDO+=("wineserver -k")
}

app_install() {  # [folder] : the zip unpacked there; sets APP_DIR, APP_EXE, APP_INI
    local into=${1:-$(mktemp -d "$E2E_TMP/app.XXXXXX")}
    mkdir -p "$into"
    unzip -q "$PALVOREN_ZIP" -d "$into" || fail "cannot unpack $PALVOREN_ZIP"
    APP_DIR=$(echo "$into"/palvoren-*-windows-x64)
    APP_EXE=$APP_DIR/palvoren.exe
    APP_INI=$APP_DIR/palvoren.ini
}

shot_of() {  # window name : a picture of the window alone in the artifacts folder; prints the path
    local file=$E2E_ARTIFACTS/$2.png i
    # A window is mapped before wine has painted it: the first pictures can be all one colour.
    for ((i = 0; i < 50; i++)); do
        import -display "$DISPLAY" -window "$1" "$file" 2>/dev/null &&
            [ "$(convert "$file" -format %k info:)" -gt 8 ] && { echo "$file"; return 0; }
        sleep 0.2
    done
    fail "the window was never painted ($file)"
}

window_shot() {  # name : shot_of the main window
    shot_of "$APP_WIN" "$1"
}

app_ready() {  # [seconds] : app_window, then until the window is painted and takes keys
    app_window "$@"
    shot_of "$APP_WIN" "$E2E_NAME-ready" >/dev/null
    rm -f "$E2E_ARTIFACTS/$E2E_NAME-ready.png"
    # Mapped and painted, the window may still be taking the activation: keys typed then are lost.
    sleep 0.5
    app_focus
}

ini_keys() {  # [file] : the file's "section/key" names in the order they stand
    awk '{ sub(/\r$/, "") } /^\[.*\]$/ { s = substr($0, 2, length($0) - 2); next }
         index($0, "=") > 1 { print s "/" substr($0, 1, index($0, "=") - 1) }' "${1:-$APP_INI}"
}
