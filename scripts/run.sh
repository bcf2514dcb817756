#!/bin/sh
# Sets up, builds and starts Quiltmark.exe under Wine on the user's display. With
# no display it runs the demonstration (scripts/demo.sh) on a virtual one instead.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build" >/dev/null
# The 32-bit program where this machine runs it; the 64-bit build of the same
# program where the kernel refuses 32-bit programs.
arch=$("$root/scripts/wine-archs.sh" --first)
[ -n "$arch" ] || { echo "run: Wine runs neither the 32-bit nor the 64-bit program here" >&2; exit 1; }
if [ "$arch" = x64 ]; then win="$build/win64"; else win="$build/win"; fi
exe="$win/Quiltmark.exe"
state="$build/run-$arch"
mkdir -p "$state"
echo "$arch" >"$state/arch"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    QM_WINE_STATE=$state
    . "$root/scripts/wine-env.sh"
    if [ ! -f "$WINEPREFIX/.qm-ready" ]; then
        "$QM_WINE" wineboot -i >"$state/wineboot.log" 2>&1 </dev/null
        wineserver -w
        touch "$WINEPREFIX/.qm-ready"
    fi
    "$QM_WINE" "$exe" >"$state/wine.log" 2>&1 </dev/null && rc=0 || rc=$?
    wineserver -w
    echo "Quiltmark exited with code $rc"
    exit "$rc"
fi

# No display: show it at work on a virtual one instead, with screenshots in
# build/demo (scripts/demo.sh tears the virtual display down again).
"$root/scripts/demo.sh" "$build/demo" && rc=0 || rc=$?
[ "$rc" -ne 0 ] || echo "No display: Quiltmark arranged sample windows on a virtual one; see $build/demo"
exit "$rc"
