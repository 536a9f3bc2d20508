# End-to-end helpers: the real program on a private X display under a small window manager, driven
# with the keyboard through xdotool, as a person would. Source it from a test script:
#
#   . "$(dirname "$0")/lib.sh"
#   e2e_init first_start            # own display, window manager, temp folder, clean-up on exit
#   app_install                     # a fresh copy of the program in a folder of its own
#   app_start; app_window           # start it and wait for its window
#   ...
#
# Settings of the run (environment):
#   PALVOREN       the program to test (default: build/palvoren at the top of the work tree)
#   E2E_ARTIFACTS  where screenshots and logs of failures go (default: build/artifacts)
#   E2E_A11Y=1     run under a private D-Bus session with the accessibility bus, so that
#                  a11y_dump can read the program's widgets
#   APP_RUNNER     an array of words put before the program when it starts (wine for a .exe)
# Needs (Debian): xvfb xauth openbox xdotool wmctrl x11-utils imagemagick; for E2E_A11Y also dbus
# at-spi2-core python3-pyatspi.

set -uo pipefail

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_TOP=$(cd "$E2E_LIB_DIR/../.." && pwd)
PALVOREN=${PALVOREN:-$E2E_TOP/build/palvoren}
E2E_ARTIFACTS=${E2E_ARTIFACTS:-$E2E_TOP/build/artifacts}
E2E_DATA=$E2E_TOP/tests/data
APP_TITLE=Palvoren

a11y_available() {
    command -v dbus-run-session >/dev/null && /usr/bin/python3 -c 'import pyatspi' 2>/dev/null
}

# A private session bus keeps the test away from a desktop's own; the accessibility bus it starts on
# demand is private with it.
if [ "${E2E_A11Y:-0}" = 1 ] && ! a11y_available; then
    E2E_A11Y=0
fi
if [ "${E2E_A11Y:-0}" = 1 ] && [ -z "${E2E_IN_DBUS:-}" ]; then
    export E2E_IN_DBUS=1
    # The accessibility bus keeps its socket in the runtime folder, or else in one folder per user,
    # where the bus of a test running beside this one would take its place.
    E2E_BUS_DIR=$(mktemp -d "${TMPDIR:-/tmp}/e2e.bus.XXXXXX")
    export E2E_BUS_DIR XDG_RUNTIME_DIR=$E2E_BUS_DIR
    exec dbus-run-session -- bash "$0" "$@"
fi

# The score fields of group A's page in Tab order: line by line, home before away.
GROUP_A_FIELDS=(1 2 3 4 35 36 37 38 65 66 67 68)

E2E_NAME=
E2E_TMP=
E2E_XVFB_PID=
E2E_WM_PID=
E2E_APP_PIDS=()
E2E_UNDO=()  # commands that undo what a test did outside its temp folder's reach (mounts, attributes)
E2E_RUN=0
APP_RUNNER=()

log() { printf '[%s] %s\n' "$E2E_NAME" "$*" >&2; }

fail() {
    log "FAIL: $*"
    screenshot failure >/dev/null 2>&1
    local f
    for f in "$E2E_TMP"/app.*.log; do
        [ -s "$f" ] && { log "output of ${f##*/}:"; sed 's/^/    /' "$f" >&2; }
    done
    exit 1
}

check() {  # message command... : fails with the message unless the command succeeds
    local message=$1
    shift
    "$@" || fail "$message"
}

check_eq() {  # what expected actual
    [ "$2" == "$3" ] || fail "$1: expected '$2', got '$3'"
}

e2e_cleanup() {
    local pid undo
    for pid in "${E2E_APP_PIDS[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    for undo in "${E2E_UNDO[@]}"; do eval "$undo" 2>/dev/null; done
    [ -n "$E2E_WM_PID" ] && kill "$E2E_WM_PID" 2>/dev/null
    [ -n "$E2E_XVFB_PID" ] && kill "$E2E_XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    # A test may have made files read-only or immutable on purpose.
    [ -n "$E2E_TMP" ] && { chmod -R u+w "$E2E_TMP" 2>/dev/null; rm -rf "$E2E_TMP"; }
    [ -n "${E2E_BUS_DIR:-}" ] && rm -rf "$E2E_BUS_DIR"
}

e2e_init() {  # test name
    # Every copy of a user meets one lock, /tmp/Dostrel-<uid>, so a copy the user runs, or another
    # test run's, would stop this test's program. Where a mount namespace can be had, the test runs
    # in one of its own, in which a file of the test's stands under that name.
    if [ -z "${E2E_OWN_LOCK:-}" ] && unshare --mount --propagation private true 2>/dev/null; then
        E2E_OWN_LOCK=1 exec unshare --mount --propagation private "$BASH" "$0"
    fi
    E2E_NAME=$1
    local tool
    for tool in Xvfb openbox xdotool wmctrl; do
        command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
    done
    [ -x "$PALVOREN" ] || { echo "no program at $PALVOREN" >&2; exit 2; }
    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/e2e.$E2E_NAME.XXXXXX")
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
    if [ -n "${E2E_OWN_LOCK:-}" ]; then
        local lock
        lock=/tmp/Dostrel-$(id -u)
        : >"$E2E_TMP/lock" && { [ -e "$lock" ] || : >>"$lock"; } &&
            mount --bind "$E2E_TMP/lock" "$lock" || log "the test shares the user's lock"
    fi
    mkdir -p "$E2E_ARTIFACTS"

    # -displayfd picks a free display number and tells it once the server accepts connections.
    local fd display
    exec {fd}<> <(:)
    Xvfb -displayfd "$fd" -screen 0 1024x768x24 -nolisten tcp -noreset >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    read -r -t 15 -u "$fd" display || { cat "$E2E_TMP/xvfb.log" >&2; fail "Xvfb did not start"; }
    exec {fd}<&-
    export DISPLAY=:$display
    unset WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb
    export XDG_RUNTIME_DIR=$E2E_TMP/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    export LANG=C.UTF-8
    if [ "${E2E_A11Y:-0}" = 1 ]; then
        export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
    fi

    openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
    E2E_WM_PID=$!
    local i
    for ((i = 0; i < 200; i++)); do
        wmctrl -m >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    fail "the window manager did not start"
}

# --- the program ------------------------------------------------------------------------------

app_install() {  # [folder] : a fresh copy of the program; sets APP_DIR, APP_EXE, APP_INI
    APP_DIR=${1:-$(mktemp -d "$E2E_TMP/app.XXXXXX")}
    mkdir -p "$APP_DIR"
    cp "$PALVOREN" "$APP_DIR/"
    APP_EXE=$APP_DIR/$(basename "$PALVOREN")
    local name
    name=$(basename "$APP_EXE")
    APP_INI=$APP_DIR/${name%.*}.ini
}

app_start() {  # [arguments] : starts APP_EXE; sets APP_PID, APP_RUN (its run number), forgets APP_WIN
    E2E_RUN=$((E2E_RUN + 1))
    APP_RUN=$E2E_RUN
    local run=$E2E_TMP/run.$APP_RUN
    rm -f "$run.pid" "$run.status"
    # The subshell waits for the program and records its exit status, so that the status can be
    # read at any time later without racing the shell's own child reaping.
    (
        "${APP_RUNNER[@]}" "$APP_EXE" "$@" >"$E2E_TMP/app.$APP_RUN.log" 2>&1 &
        echo $! >"$run.pid"
        wait $!
        echo $? >"$run.status"
    ) 2>/dev/null &
    local i
    for ((i = 0; i < 200; i++)); do
        [ -s "$run.pid" ] && break
        sleep 0.01
    done
    APP_PID=$(cat "$run.pid")
    E2E_APP_PIDS+=("$APP_PID")
    APP_WIN=
}

app_status() {  # [run] : prints the exit status of that run, or nothing while it runs
    cat "$E2E_TMP/run.${1:-$APP_RUN}.status" 2>/dev/null
}

app_wait_exit() {  # [seconds] [run] : waits for the program to end; sets APP_STATUS
    local seconds=${1:-10} run=${2:-$APP_RUN} i
    for ((i = 0; i < seconds * 50; i++)); do
        APP_STATUS=$(app_status "$run")
        [ -n "$APP_STATUS" ] && return 0
        sleep 0.02
    done
    fail "run $run did not end within $seconds s"
}

app_expect_exit() {  # expected-status [seconds]
    app_wait_exit "${2:-10}"
    check_eq "exit status of run $APP_RUN" "$1" "$APP_STATUS"
}

windows_named() {  # [title] : ids of the visible windows with exactly that title
    xdotool search --onlyvisible --name "^${1:-$APP_TITLE}\$" 2>/dev/null
}

app_window() {  # [seconds] : waits for the program's main window; sets APP_WIN and focuses it
    local seconds=${1:-15} i id
    for ((i = 0; i < seconds * 20; i++)); do
        id=$(xdotool search --onlyvisible --pid "$APP_PID" --name "^$APP_TITLE\$" 2>/dev/null | head -1)
        if [ -n "$id" ]; then
            APP_WIN=$id
            app_focus
            return 0
        fi
        [ -n "$(app_status)" ] && fail "the program ended (status $(app_status)) before showing a window"
        sleep 0.05
    done
    fail "no window \"$APP_TITLE\" within $seconds s"
}

app_focus() {
    xdotool windowactivate --sync "$APP_WIN" >/dev/null 2>&1 || xdotool windowfocus --sync "$APP_WIN"
}

dialog_window() {  # [seconds] : waits for another visible window with the program's title; sets DIALOG_WIN
    local seconds=${1:-10} i id
    for ((i = 0; i < seconds * 20; i++)); do
        for id in $(windows_named); do
            [ "$id" != "$APP_WIN" ] && { DIALOG_WIN=$id; return 0; }
        done
        sleep 0.05
    done
    fail "no box \"$APP_TITLE\" within $seconds s"
}

window_origin() {  # [window] : "x y" of the client area's and of the frame's top-left corner
    local id=${1:-$APP_WIN} x y extents left top
    eval "$(xwininfo -id "$id" | awk '/Absolute upper-left X/ {print "x=" $NF} /Absolute upper-left Y/ {print "y=" $NF}')"
    # _NET_FRAME_EXTENTS = left, right, top, bottom
    extents=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ')
    IFS=, read -r left _ top _ <<<"${extents:-0,0,0,0}"
    echo "$x $y $((x - left)) $((y - top))"
}

app_close() {  # the window manager's close, as the caption bar's close button does
    wmctrl -i -c "$APP_WIN"
}

# --- input ------------------------------------------------------------------------------------

keys() {  # key names as xdotool knows them (Tab, ctrl+Tab, Return, space, ...)
    xdotool key --clearmodifiers --delay 15 "$@"
}

type_text() {
    xdotool type --clearmodifiers --delay 15 -- "$1"
}

fill_fields() {  # texts... : types each into the focused field and tabs on; "" empties a field
    local text
    for text in "$@"; do
        if [ -z "$text" ]; then keys Delete; else type_text "$text"; fi
        keys Tab
    done
}

# --- what the program leaves ------------------------------------------------------------------

ini_get() {  # section key [file] : the value, or nothing (and status 1) when the key is missing
    awk -v s="$1" -v k="$2" '
        { sub(/\r$/, "") }
        /^\[.*\]$/ { in_s = (substr($0, 2, length($0) - 2) == s); next }
        in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2); found = 1; exit }
        END { exit !found }' "${3:-$APP_INI}"
}

screenshot() {  # name : the whole screen into the artifacts folder; prints the file's path
    local file=$E2E_ARTIFACTS/$E2E_NAME-$1.png
    if command -v import >/dev/null && [ -x /usr/bin/convert ]; then
        import -display "$DISPLAY" -window root "$file" 2>/dev/null
    else
        xwd -root -silent >"${file%.png}.xwd" && file=${file%.png}.xwd
    fi
    echo "$file"
}

# --- accessibility ----------------------------------------------------------------------------

a11y_box_text() {  # prints the text of the program's message box, as the accessibility bus shows it
    a11y_dump | awk -F'|' '$1 ~ /^ *alert$/ {box = 1; next} box && $1 ~ /^ *label$/ {print $2; exit}'
}

a11y_dump() {  # prints the program's accessible tree (see a11y_dump.py); needs E2E_A11Y=1
    /usr/bin/python3 "$E2E_LIB_DIR/a11y_dump.py" "$APP_PID" "$@"
}
