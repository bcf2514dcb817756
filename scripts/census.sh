#!/bin/sh
# Counts the program starts that Wine loses, under the tests' own conditions: the
# tests' prefix and display of one build, its persistent wineserver, children started
# by CreateProcessW a few at a time (mostly a console program, then Quiltmark.exe
# --help, and every eighth Quiltmark's window, closed once it shows), and beside them
# programs started straight from the loader, as ctest starts every test program. Each
# start writes a Wine debug log of its own, kept only when that start failed. Not part
# of scripts/test.sh; run it after a build, while no test runs.
# Usage: census.sh [starts]          (default 3000 inside, a fifth as many from the loader)
#   QM_CENSUS_ARCH=x86|x64   the build (default: the first that runs here)
#   QM_CENSUS_AT_ONCE=N      children running at once inside Wine (default 4)
#   QM_CENSUS_LOAD=N         N busy processes beside the census, as a loaded CI machine
#   QM_CENSUS_CHANNELS=...   the debug channels of every start (default err+all,+loaddll)
#   QM_CENSUS_KINDS=...      the kinds of start in turn inside Wine: c a console program,
#                            h Quiltmark.exe --help, w its window (default ccccchhw)
#   QM_CENSUS_RANDOM=1       start the loader as it comes, with the kernel's address
#                            randomisation, instead of the way the tests start it
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${QM_BUILD:-$root/build}"
QM_SCRIPTS="$root/scripts"
. "$QM_SCRIPTS/builds.sh"
starts=${1:-3000}
arch=${QM_CENSUS_ARCH:-$(qm_first_runnable)}
[ -n "$arch" ] || { echo "census: Wine runs no build here" >&2; exit 1; }
qm_require_built "$root" "$build" "$arch" || exit 1
qm_build "$arch"
state="$build/$QM_FOLDER/wine"
logs="$build/$QM_FOLDER/census"
channels=${QM_CENSUS_CHANNELS:-err+all,+loaddll}
rm -rf "$logs"
mkdir -p "$logs/loader"

# A test run's environment is in use: this would end it.
if [ -f "$state/display" ]; then
    echo "census: $state is in use (a test run?); run the census when no test runs" >&2
    exit 1
fi
load_pids=""
loader=""
finish() {
    trap '' INT TERM
    for pid in $load_pids; do kill "$pid" 2>/dev/null || true; done
    # The loop of loader starts; the start it waits on ends with the wineserver below.
    [ -z "$loader" ] || kill -TERM "$loader" 2>/dev/null || true
    "$QM_SCRIPTS/wine-down.sh" "$state" >/dev/null 2>&1 || true
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

"$QM_SCRIPTS/wine-up.sh" "$state" "$arch" >/dev/null
QM_WINE_STATE=$state
. "$QM_SCRIPTS/wine-env.sh"
[ "${QM_CENSUS_RANDOM:-0}" = 0 ] || QM_WINE=$WINELOADER
census="$build/$QM_FOLDER/tests/win/start_census.exe"
quiltmark="$build/$QM_FOLDER/Quiltmark.exe"
winpath() { echo "Z:$1" | tr / '\\'; }

i=0
while [ "$i" -lt "${QM_CENSUS_LOAD:-0}" ]; do
    sh -c 'while :; do :; done' &
    load_pids="$load_pids $!"
    i=$((i + 1))
done

# From the loader: the child must write its line and end with 7.
loader_starts=$((starts / 5))
(
    lost=0 n=0
    while [ "$n" -lt "$loader_starts" ]; do
        n=$((n + 1))
        began=$(date +%s%N)
        WINEDEBUG=$channels "$QM_WINE" "$census" --child >"$logs/loader/$n.out" 2>"$logs/loader/$n.log" </dev/null &&
            rc=0 || rc=$?
        took=$((($(date +%s%N) - began) / 1000000))
        if [ "$rc" -eq 7 ] && [ -s "$logs/loader/$n.out" ]; then
            rm -f "$logs/loader/$n.out" "$logs/loader/$n.log"
        else
            lost=$((lost + 1))
            echo "lost loader start #$n: exit code $rc after $took ms; wrote $(wc -c <"$logs/loader/$n.out") bytes; log $logs/loader/$n.log"
        fi
    done
    echo "census: $n starts from the loader: $lost lost"
    [ "$lost" -eq 0 ]
) >"$logs/loader.txt" 2>&1 &
loader=$!

began=$(date +%s)
"$QM_WINE" "$census" "$starts" "$(winpath "$logs")" "$(winpath "$quiltmark")" \
    "${QM_CENSUS_AT_ONCE:-4}" "$channels" "${QM_CENSUS_KINDS:-}" >"$logs/inside.txt" 2>"$logs/debug.txt" </dev/null && inside=0 || inside=$?
wait "$loader" && outside=0 || outside=$?
# Wine's lines of each lost start: from its mark to the next start's.
for n in $(sed -n 's/^lost #\([0-9]*\) .*/\1/p' "$logs/inside.txt"); do
    awk -v n="$n" '/^census: start #/ { on = ($3 == "#" n) ; next } on' "$logs/debug.txt" >"$logs/$n.debug"
    sed -i "s|^lost #$n .*|&; Wine's lines in $logs/$n.debug|" "$logs/inside.txt"
done
rm -f "$logs/debug.txt"
cat "$logs/inside.txt" "$logs/loader.txt"
if [ "$QM_WINE" = "$WINELOADER" ]; then how="the loader as it comes (randomised)"; else how="through $(basename "$QM_WINE")"; fi
echo "census: $arch, $how, $(($(date +%s) - began)) s, ${QM_CENSUS_LOAD:-0} busy processes beside it; logs of lost starts in $logs"
[ "$inside" -eq 0 ] && [ "$outside" -eq 0 ]
