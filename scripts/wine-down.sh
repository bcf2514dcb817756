#!/bin/sh
# Ends every Wine and Xvfb process that wine-up.sh started for this state folder.
# Usage: wine-down.sh <state-dir>
here=$(cd "$(dirname "$0")" && pwd)
state=$(realpath -m "$1")
QM_WINE_STATE=$state
. "$here/wine-env.sh"
[ -d "$WINEPREFIX" ] && wineserver -k >/dev/null 2>&1
if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null
    rm -f "$state/xvfb.pid"
fi
rm -f "$state/display"
exit 0
