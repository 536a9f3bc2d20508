#!/usr/bin/env bash
# The Debian package on a fresh Debian 12, as a user gets it (run as root, by .ci/fresh-root
# package): apt-get installs it with what it depends on; a user who is not root starts the program
# by its menu entry's command line on a virtual display, types a score and closes the window. The
# score must be in that user's ~/.config/palvoren/palvoren.ini, and nothing written under /usr.
#   fresh_install.sh PACKAGE.deb
set -euo pipefail
user=fan
display=:7

as_user() {
    cd
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >xvfb.log 2>&1 &
    export DISPLAY=$display
    local i
    for ((i = 0; i < 100; i++)); do
        [ -S "/tmp/.X11-unix/X${display#:}" ] && break
        sleep 0.1
    done
    openbox --sm-disable >/dev/null 2>&1 &
    for ((i = 0; i < 100; i++)); do
        wmctrl -m >/dev/null 2>&1 && break
        sleep 0.1
    done
    # Split into words as the desktop does, quotes and all.
    eval "exec_words=($(sed -n 's/^Exec=//p' /usr/share/applications/*palvoren.desktop))"
    echo "starting: ${exec_words[*]}"
    "${exec_words[@]}" >palvoren.log 2>&1 &
    local program=$! window
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Palvoren$' | head -1)
    xdotool windowactivate --sync "$window"
    xdotool type --delay 20 3
    xdotool key Tab
    xdotool type --delay 20 1
    wmctrl -i -c "$window"
    wait "$program" || { echo "the program ended with status $?" >&2; cat palvoren.log >&2; exit 1; }
    local ini=~/.config/palvoren/palvoren.ini
    grep -qx 'edit1=3' "$ini" && grep -qx 'edit2=1' "$ini" ||
        { echo "the scores are not in $ini" >&2; cat "$ini" palvoren.log >&2; exit 1; }
    echo "$ini: $(grep -c = "$ini") keys, edit1=3, edit2=1"
}

if [ "${1:-}" = --as-user ]; then
    as_user
    exit
fi

deb=$(realpath "$1")
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
(cd "$(dirname "$deb")" && apt-get install -y -qq "./$(basename "$deb")") >/tmp/apt-package.log 2>&1 ||
    { cat /tmp/apt-package.log >&2; exit 1; }
echo "installed: $(dpkg-query -W -f='${Package} ${Version}: ${Depends}' palvoren)"
apt-get install -y -qq --no-install-recommends xvfb xauth openbox xdotool wmctrl >/dev/null 2>&1
id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$user"
# A user's X server finds the sockets' folder made, as a desktop's login makes it.
install -d -m 1777 /tmp/.X11-unix
mark=$(mktemp)
su "$user" -c "bash '$(realpath "$0")' --as-user"
written=$(find /usr -newer "$mark")
[ -z "$written" ] || { echo "written under /usr:" >&2; echo "$written" >&2; exit 1; }
echo "nothing written under /usr"
