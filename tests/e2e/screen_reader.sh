#!/usr/bin/env bash
# What a screen reader is told, over the accessibility bus: a page switch names the page and
# focuses its first field, the grid gets the focus and then
# its current cell, whose row starts with the team, and no cell of a grid without the focus, on
# a hidden page either, says it has the focus.
E2E_A11Y=1
. "$(dirname "$0")/lib.sh"
e2e_init screen_reader
[ "$E2E_A11Y" = 1 ] || { log "no accessibility bus"; exit 77; }
app_install

# The bus is the test's own: every focus event on it is the program's.
focus_log=$E2E_TMP/focus.log
/usr/bin/python3 "$E2E_LIB_DIR/a11y_focus.py" >"$focus_log" 2>&1 &
# Stopped with the program when the test ends, however it ends.
E2E_APP_PIDS+=($!)
for ((i = 0; i < 100; i++)); do grep -q listening "$focus_log" && break; sleep 0.05; done
app_start
app_window
focus_to() {  # start of the line of the object expected to gain the focus : waits up to 5 s for it
    local i
    for ((i = 0; i < 100; i++)); do [[ "$(tail -1 "$focus_log")" == "$1"* ]] && break; sleep 0.05; done
    sleep 0.3  # and for anything that would follow
}

keys ctrl+Tab
focus_to "text|6/2  16:30 パラグアイ|"
check_eq "page switch" "text|6/2  16:30 パラグアイ|グループB" "$(tail -1 "$focus_log" | cut -d'>' -f1)"
check_eq "cells with the focus while a field has it" 0 "$(a11y_dump --tables | grep -c '\*')"

keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space Down
check_eq "grid, then its current cell" $'table|グループB 順位表|グループB>Palvoren\ntable cell|0|グループB 順位表>グループB>Palvoren' \
    "$(focus_to "table cell|"; tail -2 "$focus_log")"
check_eq "the cell's row" $'スペイン\t0*\t0\t0\t0\t0\t0\t0\t1' \
    "$(a11y_dump --tables | grep -A2 -x $'table|グループB 順位表|4x9' | tail -1)"
check_eq "cells with the focus" 1 "$(a11y_dump --tables | grep -c '\*')"
# Cells of other grids, built hidden, never got the focus.
check_eq "cells of other grids that got the focus" "" \
    "$(grep '^table cell' "$focus_log" | grep -v '|グループB 順位表>')"

app_close
app_expect_exit 0
