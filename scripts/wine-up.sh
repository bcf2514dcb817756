#!/bin/sh
# Starts the test environment: a private Wine prefix (made once), a 1920x1080x24
# Xvfb display and a persistent wineserver. Checks that Wine runs with ANSI code
# page 936. Usage: wine-up.sh <state-dir> <acp-check.exe>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
state=$(realpath -m "$1")
mkdir -p "$state"
"$here/wine-down.sh" "$state" >/dev/null 2>&1 || true
QM_WINE_STATE=$state
. "$here/wine-env.sh"

# A free display number: no lock file and no socket.
n=91
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
# Detached, with its own output file, so that no pipe of the caller stays open.
setsid Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp -ac >"$state/xvfb.log" 2>&1 </dev/null &
echo $! >"$state/xvfb.pid"
i=0
while [ ! -e "/tmp/.X11-unix/X$n" ]; do
    i=$((i + 1))
    [ $i -lt 100 ] || { echo "wine-up: Xvfb did not start" >&2; cat "$state/xvfb.log" >&2; exit 1; }
    sleep 0.1
done
echo ":$n" >"$state/display"
export DISPLAY=":$n"

if [ ! -f "$WINEPREFIX/.qm-ready" ]; then
    rm -rf "$WINEPREFIX"
    wineboot -i >"$state/wineboot.log" 2>&1 </dev/null
    # Without a window manager Wine otherwise waits for windows moved off screen.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$state/wineboot.log" 2>&1 </dev/null
    wineserver -w
    touch "$WINEPREFIX/.qm-ready"
fi
# One wineserver for the whole run, started detached for the same reason as Xvfb.
setsid wineserver -p >"$state/wineserver.log" 2>&1 </dev/null &

if [ $# -ge 2 ]; then
    if ! wine "$2" >"$state/acp.log" 2>&1 </dev/null; then
        echo "wine-up: Wine does not run with ANSI code page 936 (GBK):" >&2
        cat "$state/acp.log" >&2
        echo "wine-up: generate the zh_CN.UTF-8 locale (scripts/setup.sh does)." >&2
        exit 1
    fi
    cat "$state/acp.log"
fi
echo "wine-up: display :$n, prefix $WINEPREFIX"
