#!/bin/sh
# Sets up, builds and starts Quiltmark.exe under Wine on the user's display. With
# no display it runs the program on a virtual one instead.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build" >/dev/null
exe="$build/win/Quiltmark.exe"
state="$build/run"
mkdir -p "$state"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    QM_WINE_STATE=$state
    . "$root/scripts/wine-env.sh"
    if [ ! -f "$WINEPREFIX/.qm-ready" ]; then
        wineboot -i >"$state/wineboot.log" 2>&1 </dev/null
        wineserver -w
        touch "$WINEPREFIX/.qm-ready"
    fi
    wine "$exe" >"$state/wine.log" 2>&1 </dev/null && rc=0 || rc=$?
    wineserver -w
    echo "Quiltmark exited with code $rc"
    exit "$rc"
fi

# No display: a virtual one, torn down again at the end.
trap '"$root/scripts/wine-down.sh" "$state" >/dev/null 2>&1 || true' EXIT INT TERM
"$root/scripts/wine-up.sh" "$state" >/dev/null
"$root/scripts/wine-run.sh" "$state" "$exe" && rc=0 || rc=$?
echo "Quiltmark exited with code $rc (no display: ran on a virtual one)"
exit "$rc"
