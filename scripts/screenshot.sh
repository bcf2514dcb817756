#!/bin/sh
# Takes a picture of Quiltmark's main window as it first appears, on a 1920x1080
# virtual display and Wine prefix of its own (wine-shot in the build's folder), torn down
# again however the script ends. Build first (scripts/build.sh).
# Usage: [QM_WINE_DPI=144] screenshot.sh <out.png>
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:?usage: screenshot.sh <out.png>}")
QM_SCRIPTS="$root/scripts"
. "$QM_SCRIPTS/builds.sh"
qm_pick_build "$root" "$root/build" screenshot
arch=$QM_ARCH
exe="$root/build/$QM_FOLDER/Quiltmark.exe"
state="$root/build/$QM_FOLDER/wine-shot${QM_WINE_DPI:+-$QM_WINE_DPI}"

mkdir -p "$state"
trap '"$QM_SCRIPTS/wine-down.sh" "$state" >/dev/null 2>&1 || true' EXIT
trap 'exit 130' INT TERM HUP
"$QM_SCRIPTS/wine-up.sh" "$state" "$arch" >"$state/up.log" 2>&1 ||
    { cat "$state/up.log" >&2; exit 1; }
QM_WINE_STATE=$state
. "$QM_SCRIPTS/wine-env.sh"

# Detached, with its output in a file: a pipe handed to Wine would never close.
setsid "$QM_WINE" "$exe" >"$state/quiltmark.log" 2>&1 </dev/null &

# Wine names the X window after the window's caption; its line in the tree ends
# with the geometry, e.g. `"Quiltmark": ("wine" "Wine")  312x389+804+345  +804+345`.
geometry=""
i=0
while [ -z "$geometry" ]; do
    i=$((i + 1))
    [ $i -le 100 ] || { echo "screenshot: no window captioned Quiltmark" >&2; exit 1; }
    sleep 0.2
    xwininfo -root -tree >"$state/tree.txt" 2>&1 || true
    geometry=$(sed -n 's/.*"Quiltmark": ([^)]*) *\([0-9]*x[0-9]*+-*[0-9]*+-*[0-9]*\) .*/\1/p' \
        "$state/tree.txt" | head -n1)
done
# Give the controls and the capture tool's picture time to paint.
sleep 1.5
import -window root "$state/root.png"
convert "$state/root.png" -crop "$geometry" +repage "$out"
echo "screenshot: $out ($geometry)"
