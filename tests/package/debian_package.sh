#!/usr/bin/env bash
# The Debian package that CPack makes from this build: lintian finds no error and no warning in it,
# and it holds what cmake --install --strip --prefix /usr lays out, each file owned by root with the
# same mode, and nothing else.
#   debian_package.sh BUILD-FOLDER
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log" >&2; exit 1; }
deb=$(echo "$tmp"/out/palvoren_*_amd64.deb)
[ -f "$deb" ] || { echo "no palvoren_<version>_amd64.deb made" >&2; exit 1; }

# Info tags are listed for the reader; errors and warnings fail the test.
lintian -I "$deb" 2>&1 | grep -v '^running with root privileges' | tee "$tmp/lintian.log"
if grep -q '^[EW]: ' "$tmp/lintian.log"; then
    echo "lintian reports errors or warnings" >&2
    exit 1
fi

DESTDIR="$tmp/installed" cmake --install "$build" --strip --prefix /usr >/dev/null
(cd "$tmp/installed" && find . ! -type d -printf '%M root/root %p\n' | sort) >"$tmp/expected"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $1, $2, $6}' | sort >"$tmp/packed"
diff -u "$tmp/expected" "$tmp/packed"
echo "$(wc -l <"$tmp/packed") files as cmake --install lays them out"
