#!/bin/sh
# Shows Quiltmark at work without a display of your own: on a 1920x1080 virtual
# display and Wine prefix of its own (wine-demo in the build's folder), the demo driver scatters six
# sample windows, then types into Quiltmark's window and clicks it, as a person
# would, to arrange them by size and then two a row. It saves a screenshot of the
# whole screen before and after each arrangement. The display and Wine are torn down
# again however the script ends. Build first (scripts/build.sh).
# Usage: demo.sh [out-dir]   (default docs/): demo-before.png, demo-by-size.png and
# demo-by-row-count.png, scaled to 960x540.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs}")
QM_SCRIPTS="$root/scripts"
. "$QM_SCRIPTS/builds.sh"
# The 64-bit program, the one users download.
qm_pick_build "$root" "$root/build" demo
arch=$QM_ARCH
win="$root/build/$QM_FOLDER"
dir="$win/tests/e2e"
state="$win/wine-demo"
shots="$state/shots"
mkdir -p "$state" "$out"
trap '"$QM_SCRIPTS/wine-down.sh" "$state" >/dev/null 2>&1 || true' EXIT
trap 'exit 130' INT TERM HUP
"$QM_SCRIPTS/wine-up.sh" "$state" "$arch" >"$state/up.log" 2>&1 ||
    { cat "$state/up.log" >&2; exit 1; }

# The driver saves its screenshots in its working folder. Its output (and Wine's)
# goes to a file, never a pipe.
rm -rf "$shots"
mkdir -p "$shots"
(cd "$shots" && "$QM_SCRIPTS/wine-run.sh" "$state" "$dir/demo_driver.exe") \
    >"$state/driver.log" 2>&1 && rc=0 || rc=$?
if [ "$rc" -ne 0 ]; then
    cat "$state/driver.log" >&2
    echo "demo: the driver failed with exit code $rc" >&2
    exit "$rc"
fi

for shot in demo-before demo-by-size demo-by-row-count; do
    convert "$shots/$shot.png" -resize 960x540 "$out/$shot.png"
    echo "demo: $out/$shot.png"
done
