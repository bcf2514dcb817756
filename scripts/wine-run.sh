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
started=$(date +%s.%N)
"$QM_WINE" "$@" >"$log" 2>&1 </dev/null
rc=$?
cat "$log"
# A program that dies before it flushes leaves no output; say at least how it ended,
# after how long, and whether anything at all was written.
if [ "$rc" -ne 0 ]; then
    took=$(awk "BEGIN { printf \"%.2f\", $(date +%s.%N) - $started }")
    [ -s "$log" ] || echo "wine-run: no output at all (language ${LANG:-unset})" >&2
    echo "wine-run: $1 ended with exit code $rc after ${took} s" >&2
fi
rm -f "$log"
exit $rc
