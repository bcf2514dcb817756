#!/bin/sh
# Ends every Wine and Xvfb process that wine-up.sh started for this state folder,
# and nothing else: the wineserver of this folder's prefix alone, and the Xvfb whose
# pid was recorded only while that pid is still the Xvfb writing this folder's log
# (a pid left over from an earlier boot may name another process by now).
# Usage: wine-down.sh <state-dir>
QM_SCRIPTS=$(cd "$(dirname "$0")" && pwd)
state=$(realpath -m "$1")
if [ -f "$state/arch" ] && [ -d "$state/prefix" ]; then
    QM_WINE_STATE=$state
    . "$QM_SCRIPTS/wine-env.sh"
    "$WINESERVER" -k >/dev/null 2>&1
fi
if [ -f "$state/xvfb.pid" ]; then
    pid=$(tr -dc 0-9 <"$state/xvfb.pid")
    if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ] &&
        [ "$(readlink "/proc/$pid/fd/1" 2>/dev/null)" = "$state/xvfb.log" ]; then
        kill "$pid" 2>/dev/null
    fi
    rm -f "$state/xvfb.pid"
fi
rm -f "$state/display"
exit 0
