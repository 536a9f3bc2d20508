#!/usr/bin/env bash
# Start-up, memory and exit cost of the program against a bare Qt Widgets window (bare_window).
#
#   bench/startup/startup_bench.sh [-n RUNS] [-B BUILD_DIR] [--strict] [PROGRAM [TITLE]]
#
# PROGRAM defaults to BUILD_DIR/palvoren (title "Palvoren"), BUILD_DIR to build/ at the top of the
# work tree, which must hold bench/bare_window (cmake --build build --target bare_window palvoren).
#
# Measured on a bare Xvfb (no window manager, so top-level windows are children of the root and the
# first damage on one is its first paint), with ../shared/tools/firstpaint.c:
#   paint   exec -> first paint of the window with the given title      target: <= 1.25 x baseline
#   rss     peak resident memory of the process                         target: <= 1.2 x baseline
#   term    SIGTERM -> process gone (the program saves its settings)
# and then with openbox running on the same display:
#   close   the window manager's close (_NET_CLOSE_WINDOW -> WM_DELETE_WINDOW) -> process gone,
#           target < 50 ms; it includes the settings save and the start of wmctrl itself
#           (a few ms, printed as "wmctrl overhead").
# Each run starts a fresh copy of the executable in its own temporary folder (baseline too, so both
# are read from a just-written file): the program keeps palvoren.ini beside itself, and every run
# must start without one, as on a first start.
#
# Needs (Debian): xvfb xauth openbox wmctrl xdotool libx11-dev libxdamage-dev libxfixes-dev and a C
# compiler. It installs nothing. Exit status: 0 measured, 1 a measurement failed, 2 bad use or a
# missing tool, 3 (with --strict) a target was missed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
runs=15
build=$top/build
strict=0
while [ $# -gt 0 ]; do
    case $1 in
    -n) runs=$2; shift 2 ;;
    -B) build=$(cd "$2" && pwd); shift 2 ;;
    --strict) strict=1; shift ;;
    -h | --help) sed -n '2,25p' "$0"; exit 0 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) break ;;
    esac
done
program=${1:-$build/palvoren}
title=${2:-Palvoren}
baseline=$build/bench/bare_window
firstpaint_src=$top/../shared/tools/firstpaint.c
[ -f "$firstpaint_src" ] || firstpaint_src=$top/shared/tools/firstpaint.c

missing=()
for tool in Xvfb openbox wmctrl xdotool cc; do command -v "$tool" >/dev/null || missing+=("$tool"); done
[ ${#missing[@]} -eq 0 ] || { echo "missing tools: ${missing[*]} (apt-get install xvfb openbox wmctrl xdotool gcc)" >&2; exit 2; }
for f in "$baseline" "$program"; do [ -x "$f" ] || { echo "not built: $f" >&2; exit 2; }; done
[ -f "$firstpaint_src" ] || { echo "firstpaint.c not found beside the work tree" >&2; exit 2; }

firstpaint=$build/bench/firstpaint
if [ ! -x "$firstpaint" ] || [ "$firstpaint_src" -nt "$firstpaint" ]; then
    mkdir -p "$build/bench"
    cc -O2 -o "$firstpaint" "$firstpaint_src" -lX11 -lXdamage -lXfixes ||
        { echo "cannot build firstpaint: needs libx11-dev libxdamage-dev libxfixes-dev" >&2; exit 2; }
fi

work=$(mktemp -d)
xvfb_pid=
wm_pid=
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 10 -u "$fd" display || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
exec {fd}<&-
export DISPLAY=:$display
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

fresh_copy() {  # executable -> path of a copy in a new folder of its own
    local dir
    dir=$(mktemp -d "$work/run.XXXXXX")
    cp "$1" "$dir/"
    echo "$dir/$(basename "$1")"
}

median() { sort -n | awk '{v[NR]=$1} END {if (NR==0) print "nan"; else if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }

measure_paint() {  # name executable title
    local exe line
    exe=$(fresh_copy "$2")
    line=$("$firstpaint" -t "$3" -w 20 -- "$exe") || { echo "$1: no paint: $line" >&2; return 1; }
    rm -rf "$(dirname "$exe")"
    echo "$line" | sed -E 's/.*paint_ms=([0-9.]+) exit_ms=([-0-9.]+) maxrss_kb=([0-9]+).*/\1 \2 \3/' >>"$work/$1.paint"
}

echo "display :$display, $runs runs each, alternating"
echo "baseline: $baseline"
echo "program:  $program (window \"$title\")"
# One unmeasured run each warms the page cache and the font cache.
measure_paint warm "$baseline" bare_window
measure_paint warm "$program" "$title"
for ((i = 0; i < runs; i++)); do
    if ((i % 2)); then
        measure_paint program "$program" "$title"
        measure_paint baseline "$baseline" bare_window
    else
        measure_paint baseline "$baseline" bare_window
        measure_paint program "$program" "$title"
    fi
done

# Close through the window manager, as a user would; the process is this shell's child, so wait
# returns the moment it has gone.
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.05; done
measure_close() {  # name executable title
    local exe pid id t0 t1
    exe=$(fresh_copy "$2")
    "$exe" >/dev/null 2>&1 &
    pid=$!
    id=$(timeout 20 xdotool search --sync --onlyvisible --name "^$3\$" | head -1) || { kill "$pid"; return 1; }
    sleep 0.3
    t0=$EPOCHREALTIME
    wmctrl -i -c "$id"
    wait "$pid" || true
    t1=$EPOCHREALTIME
    rm -rf "$(dirname "$exe")"
    awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.1f\n", (b - a) * 1000}' >>"$work/$1.close"
}
for ((i = 0; i < runs; i++)); do
    measure_close baseline "$baseline" bare_window
    measure_close program "$program" "$title"
    t0=$EPOCHREALTIME
    wmctrl -m >/dev/null
    t1=$EPOCHREALTIME
    awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.1f\n", (b - a) * 1000}' >>"$work/wmctrl.close"
done

col() { awk -v c="$2" '{print $c}' "$work/$1.paint" | median; }
b_paint=$(col baseline 1) p_paint=$(col program 1)
b_term=$(col baseline 2) p_term=$(col program 2)
b_rss=$(col baseline 3) p_rss=$(col program 3)
b_close=$(median <"$work/baseline.close") p_close=$(median <"$work/program.close")
overhead=$(median <"$work/wmctrl.close")

verdict=0
report() {  # label baseline program unit target
    awk -v l="$1" -v b="$2" -v p="$3" -v u="$4" -v t="$5" 'BEGIN {
        r = p / b; ok = r <= t
        printf "%-22s baseline %9.1f %s   program %9.1f %s   ratio %.2fx (target <= %.2fx) %s\n",
               l, b, u, p, u, r, t, ok ? "ok" : "OVER"
        exit ok ? 0 : 1 }' || verdict=3
}
echo
echo "medians of $runs runs:"
report "start to first paint" "$b_paint" "$p_paint" ms 1.25
report "peak memory" "$(awk -v k="$b_rss" 'BEGIN {print k / 1024}')" "$(awk -v k="$p_rss" 'BEGIN {print k / 1024}')" MiB 1.2
printf "%-22s baseline %9.1f ms   program %9.1f ms\n" "SIGTERM to gone" "$b_term" "$p_term"
awk -v b="$b_close" -v p="$p_close" -v o="$overhead" 'BEGIN {
    printf "%-22s baseline %9.1f ms   program %9.1f ms   (target < 50 ms) %s\n", "close to gone", b, p, p < 50 ? "ok" : "OVER"
    printf "%-22s %.1f ms, included in the close figures\n", "wmctrl overhead", o
    exit p < 50 ? 0 : 1 }' || verdict=3
((strict)) && exit $verdict
exit 0
