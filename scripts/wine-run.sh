#!/bin/sh
# Runs a Windows program in the test environment and returns its exit code.
# Wine's output goes to a file first: a pipe handed to Wine would be inherited by
# the wineserver and never close. Usage: wine-run.sh <state-dir> <program.exe> [args]
QM_SCRIPTS=$(cd "$(dirname "$0")" && pwd)
state=$1
shift
QM_WINE_STATE=$state
. "$QM_SCRIPTS/wine-env.sh"
log=$(mktemp "$QM_WINE_STATE/run.XXXXXX")
# A test program marks its entry in this file (tests/support/test_main.cpp).
mark="$log.entry"
export QM_ENTRY_MARK="Z:$(printf '%s' "$mark" | tr / '\\')"
run() {
    rm -f "$mark"
    started=$(date +%s.%N)
    "$QM_WINE" "$@" >"$log" 2>&1 </dev/null
}
run "$@"
rc=$?
# A start that Wine lost (scripts/wine-loader.sh says how) ends with 1 before the
# program's entry and writes nothing. Only a program that marks its entry can tell
# that apart from a failure of its own; where randomisation stays on, such a start is
# made once more, and said.
if [ -n "${QM_START_RETRY:-}" ] && [ "$rc" -eq 1 ] && [ ! -s "$log" ] && [ ! -e "$mark" ] && grep -qa QM_ENTRY_MARK "$1" 2>/dev/null; then
    echo "wine-run: program start repeated: Wine lost it ($(basename "$1") ended with 1 before its entry, writing nothing)"
    run "$@"
    rc=$?
fi
cat "$log"
# A program that dies before it flushes leaves no output; say at least how it ended,
# after how long, and whether anything at all was written.
if [ "$rc" -ne 0 ]; then
    took=$(awk "BEGIN { printf \"%.2f\", $(date +%s.%N) - $started }")
    [ -s "$log" ] || echo "wine-run: no output at all (language ${LANG:-unset})" >&2
    echo "wine-run: $1 ended with exit code $rc after ${took} s" >&2
fi
rm -f "$log" "$mark"
exit $rc
