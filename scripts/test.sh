#!/bin/sh
# Everything a fresh Debian 12 machine needs, the build, and every test: host unit
# tests under the sanitizers, fuzzers, and the Windows tests under Wine and Xvfb of
# every build of scripts/builds.list that this machine runs (labels x86 and x64).
# The last line counts what ran and passed under each label; a build that runs here
# but ran no test is a failure.
# Usage: test.sh [extra ctest arguments, e.g. -L unit]
#   QM_WINE_ARCHS="x64"   tests only the builds it names (x86, x64, or both)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
QM_SCRIPTS="$root/scripts"
. "$QM_SCRIPTS/builds.sh"
# A bad QM_WINE_ARCHS stops the run before anything is installed or built.
wanted=$(qm_wanted_archs) || exit 2
given=$#

# Each long step runs in a process group of its own, so that when this script is
# stopped it can stop the step with everything the step started; the Wine and Xvfb
# processes of the tests are ended through their state folders.
child=""
cleanup() {
    for arch in $(qm_builds); do
        qm_build "$arch"
        for state in wine wine-144; do
            "$QM_SCRIPTS/wine-down.sh" "$build/$QM_FOLDER/$state" >/dev/null 2>&1 || true
        done
    done
}
stop() {
    code=$1
    trap '' INT TERM HUP
    set +e
    # dash's kill takes a process group as a negative number, without "--".
    [ -z "$child" ] || { kill -TERM "-$child" 2>/dev/null; wait "$child" 2>/dev/null; }
    cleanup
    echo "test: stopped" >&2
    exit "$code"
}
trap 'stop 130' INT
trap 'stop 143' TERM
trap 'stop 129' HUP
trap cleanup EXIT
step() {
    setsid "$@" &
    child=$!
    wait "$child" && rc=0 || rc=$?
    child=""
    return "$rc"
}

"$QM_SCRIPTS/setup.sh"
step "$QM_SCRIPTS/build.sh" "$build"

tested=""
for arch in $(qm_builds); do
    case " $wanted " in
        *" $arch "*) ;;
        *) eval "note_$arch=\"\$arch: not run (QM_WINE_ARCHS=\$QM_WINE_ARCHS)\""; continue ;;
    esac
    qm_arch_runs "$arch" && runs=0 || runs=$?
    if [ "$runs" -eq 2 ]; then
        echo "test: the $arch build's Wine is broken: $QM_WHY_NOT" >&2
        exit 1
    fi
    if [ "$runs" -eq 1 ]; then
        if [ -n "${QM_WINE_ARCHS:-}" ]; then
            echo "test: QM_WINE_ARCHS names $arch, but it cannot run here: $QM_WHY_NOT" >&2
            exit 1
        fi
        echo "test: the $arch build's tests cannot run here: $QM_WHY_NOT"
        eval "note_$arch=\"\$arch: not run (\$QM_WHY_NOT)\""
        continue
    fi
    qm_require_built "$root" "$build" "$arch" || exit 1
    tested="${tested:+$tested }$arch"
done
if [ -z "$tested" ]; then
    echo "test: Wine runs none of the builds here ($(qm_builds)); no Windows test can run" >&2
    exit 1
fi
echo "test: Windows tests of the builds: $tested"

# Only the chosen builds' tests exist for this ctest run (cmake/host.cmake reads
# QM_TEST_BUILDS), so no -L, -LE or -R given here can bring back or cancel that.
export QM_TEST_BUILDS=" $tested "
results="$build/test-results.xml"
rm -f "$results"
# The whole output of a passed test too, where the count of repeated starts reads it.
step ctest --test-dir "$build" --output-on-failure --no-tests=error -j2 \
    --test-output-size-passed 262144 --output-junit "$results" "$@" && rc=0 || rc=$?

# Counts per label, from the tests each label holds and the results ctest wrote. The
# listings below write ctest's log of the last run anew: the run's own is kept aside
# and put back, so that the log says what ran.
log="$build/Testing/Temporary/LastTest.log"
rm -f "$log.run"
[ -f "$log" ] && cp "$log" "$log.run"
labels="unit"
grep -q '^QM_FUZZERS:BOOL=ON' "$build/CMakeCache.txt" && labels="$labels fuzz"
labels="$labels $(qm_builds)"
summary=""
for label in $labels; do
    eval "note=\${note_$label:-}"
    if [ -n "$note" ]; then
        summary="$summary; $note"
        continue
    fi
    ctest --test-dir "$build" -N -L "^$label\$" >"$build/tests-$label.txt"
    counts=$(awk '
        # Starting and ending Wine for a build are no tests of the program.
        FNR == NR { if ($1 == "Test" && $2 ~ /^#/ && $3 !~ /^wine_(up|down)_/) want[$3] = 1; next }
        /<testcase / {
            name = $0; sub(/.*<testcase name="/, "", name); sub(/".*/, "", name)
            status = $0; sub(/.* status="/, "", status); sub(/".*/, "", status)
            current = (name in want) ? name : ""
            if (current != "") { if (status == "run") pass++; else if (status == "fail") fail++; else notrun[current] = 1 }
            next
        }
        current != "" && /<skipped message="SKIP_RETURN_CODE/ { skip++; delete notrun[current] }
        # Starts that Wine lost and the harness made again (scripts/wine-run.sh,
        # tests/support/start.h).
        current != "" && /program start repeated: Wine lost it/ { repeated++ }
        END {
            other = 0; for (n in notrun) other++
            printf "%d %d %d %d %d\n", pass, fail, skip, other, repeated
        }' "$build/tests-$label.txt" "$results" 2>/dev/null || echo "0 0 0 0 0")
    set -- $counts
    text="$label: $1 passed"
    if [ "$5" -eq 1 ]; then text="$text (1 program start repeated: Wine lost it)"
    elif [ "$5" -gt 1 ]; then text="$text ($5 program starts repeated: Wine lost them)"; fi
    [ "$2" -eq 0 ] || text="$text, $2 failed"
    [ "$3" -eq 0 ] || text="$text, $3 skipped"
    [ "$4" -eq 0 ] || text="$text, $4 not run"
    if [ "$1" -eq 0 ] && [ "$2" -eq 0 ]; then
        if [ "$given" -gt 0 ] && grep '^ *Test *#' "$build/tests-$label.txt" | grep -vq ' wine_\(up\|down\)_'; then
            text="$label: 0 run (left out by the arguments)"
        else
            text="$label: 0 run"
            echo "test: no test of label $label ran" >&2
            rc=1
        fi
    fi
    summary="${summary:+$summary; }$text"
done
[ -f "$log.run" ] && mv "$log.run" "$log"
echo "$summary"
exit "$rc"
