#!/usr/bin/env bash
# The grid at the display scales of most laptops, LogPixels 120, 144 and 168 (125, 150 and 175 %):
# each kind of its lines as wide wherever it falls. Pictures: artifacts/windows-grid-at-<percent>.png.
. "$(dirname "$0")/wine_lib.sh"
wine_e2e_init windows_grid_scales
app_install
E2E_UNDO+=("wine reg delete 'HKCU\\Control Panel\\Desktop' /v LogPixels /f")

for dpi in 120 144 168; do
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 ||
        fail "cannot set LogPixels"
    app_start
    app_ready 60
    shot=$(window_shot "windows-grid-at-$((dpi * 100 / 96))")
    app_close
    app_expect_exit 0 20
    widths=$(convert "$shot" txt:- | /usr/bin/python3 "$E2E_LIB_DIR/grid_lines.py" "$(awk "BEGIN { print $dpi / 96 }")") ||
        fail "no grid in $shot"
    log "LogPixels $dpi: $(tr '\n' ' ' <<<"$widths")"
    check_eq "lines of more than one width at LogPixels $dpi" "" "$(grep ',' <<<"$widths")"
done
