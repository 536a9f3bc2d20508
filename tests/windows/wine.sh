#!/usr/bin/env bash
# wine for the Windows build's tests, in a prefix of their own and in the code page of the
# program's users.
#   wine.sh boot           makes a fresh prefix at $WINEPREFIX
#   wine.sh run EXE ARGS   runs a program of the build; its DLLs come from $WINE_DLL_DIRS
#                          (Linux folders, separated by ":")
#   wine.sh stop           ends everything that runs in the prefix
# Sourced, it only sets up the environment (wine_env). WINE_LOCALE is the Unix locale wine takes
# its code page from: ja_JP.UTF-8 (code page 932, Shift-JIS) unless set.

wine_env() {
    : "${WINEPREFIX:?WINEPREFIX is not set}"
    export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d"
    local locale=${WINE_LOCALE:-ja_JP.UTF-8}
    # Without the locale wine quietly falls back to code page 1252.
    if ! locale -a 2>/dev/null | grep -qix "${locale/UTF-8/utf8}"; then
        echo "the locale $locale is missing (localedef -i ${locale%%.*} -f UTF-8 $locale)" >&2
        return 1
    fi
    export LANG=$locale LC_ALL=$locale
}

# Linux folders, ":"-separated, as a Windows search path.
wine_path() {
    local dirs=() dir
    IFS=: read -ra dirs <<<"$1"
    local out=()
    for dir in "${dirs[@]}"; do out+=("Z:${dir//\//\\}"); done
    (IFS=';' && echo "${out[*]}")
}

if [ "${BASH_SOURCE[0]}" != "$0" ]; then
    wine_env
    return
fi
set -euo pipefail
wine_env
case "${1:-}" in
boot)
    rm -rf "$WINEPREFIX"
    wineboot -i
    wineserver -w
    ;;
run)
    shift
    WINEPATH=$(wine_path "${WINE_DLL_DIRS:-}") exec wine "$@"
    ;;
stop)
    wineserver -k 2>/dev/null || true
    ;;
*)
    echo "usage: wine.sh boot | run EXE [ARGS...] | stop" >&2
    exit 2
    ;;
esac
