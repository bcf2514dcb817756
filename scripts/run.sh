#!/bin/sh
# Sets up, builds and starts Quiltmark.exe under Wine on the user's display. With
# no display it runs the demonstration (scripts/demo.sh) on a virtual one instead.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
QM_SCRIPTS="$root/scripts"
. "$QM_SCRIPTS/builds.sh"
wanted=$(qm_wanted_archs) || exit 2
"$QM_SCRIPTS/setup.sh"
"$QM_SCRIPTS/build.sh" "$build" >/dev/null
# The 64-bit program, the one users download (the 32-bit one only where a machine ran
# no 64-bit Wine).
qm_pick_build "$root" "$build" run
arch=$QM_ARCH
# The program as it ships: without its debugging information, which Wine would read
# in at every start.
exe="$build/dist/$QM_SHIPPED"
state="$build/$QM_FOLDER/wine-run"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    "$QM_SCRIPTS/wine-prefix.sh" "$state" "$arch"
    QM_WINE_STATE=$state
    . "$QM_SCRIPTS/wine-env.sh"
    "$QM_WINE" "$exe" >"$state/wine.log" 2>&1 </dev/null && rc=0 || rc=$?
    "$WINESERVER" -w
    echo "Quiltmark exited with code $rc"
    exit "$rc"
fi

# No display: show it at work on a virtual one instead, with screenshots in
# build/demo (scripts/demo.sh tears the virtual display down again).
"$QM_SCRIPTS/demo.sh" "$build/demo" && rc=0 || rc=$?
[ "$rc" -ne 0 ] || echo "No display: Quiltmark arranged sample windows on a virtual one; see $build/demo"
exit "$rc"
