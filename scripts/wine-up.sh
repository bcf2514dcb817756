#!/bin/sh
# Starts the test environment of one build: a private Wine prefix (made once, for
# that build alone), a 1920x1080x24 Xvfb display and a persistent wineserver. Checks
# that Wine runs with ANSI code page 936. Usage: wine-up.sh <state-dir> <arch> [acp-check.exe]
set -eu
QM_SCRIPTS=$(cd "$(dirname "$0")" && pwd)
state=$(realpath -m "$1")
arch=${2:?arch: a build of scripts/builds.list}
. "$QM_SCRIPTS/builds.sh"
qm_build "$arch"
mkdir -p "$state"
"$QM_SCRIPTS/wine-down.sh" "$state" >/dev/null 2>&1 || true
echo "$arch" >"$state/arch"
QM_WINE_STATE=$state
QM_WINE_ARCH=$arch
. "$QM_SCRIPTS/wine-env.sh"

# Xvfb picks a free display number itself and writes it to the file once it accepts
# connections, so two runs starting side by side cannot pick the same one. Detached,
# with its own output file, so that no pipe of the caller stays open; that file is
# also how wine-down.sh knows the process is the one started here.
rm -f "$state/displayfd"
# Two monitors through Xinerama: the primary 1920x1080 one and a second of 1280x1024.
# Xvfb lays both out at the origin, so the second lies inside the first; programs
# that ask for the primary screen see what a single screen shows.
setsid Xvfb -displayfd 3 +xinerama -screen 0 1920x1080x24 -screen 1 1280x1024x24 -nolisten tcp -ac \
    3>"$state/displayfd" >"$state/xvfb.log" 2>&1 </dev/null &
echo $! >"$state/xvfb.pid"
i=0
n=""
while [ -z "$n" ]; do
    i=$((i + 1))
    [ $i -lt 100 ] || { echo "wine-up: Xvfb did not start" >&2; cat "$state/xvfb.log" >&2; exit 1; }
    sleep 0.1
    n=$(tr -dc 0-9 <"$state/displayfd")
done
echo ":$n" >"$state/display"
export DISPLAY=":$n"

"$QM_SCRIPTS/wine-prefix.sh" "$state" "$arch"
# One wineserver for the whole run. It detaches itself and returns once it is
# listening, so the first program below finds it and starts no server of its own.
"$WINESERVER" -p >"$state/wineserver.log" 2>&1 </dev/null

[ -z "${QM_START_RETRY:-}" ] ||
    echo "wine-up: the kernel keeps address randomisation on; a start Wine loses is made once more"
if [ $# -ge 3 ]; then
    "$QM_WINE" "$3" >"$state/acp.log" 2>&1 </dev/null && acp=0 || acp=$?
    # A start lost before the program's entry ends with 1 and writes nothing.
    if [ "$acp" -eq 1 ] && [ -n "${QM_START_RETRY:-}" ] && [ ! -s "$state/acp.log" ]; then
        echo "wine-up: program start repeated: Wine lost it ($(basename "$3"))"
        "$QM_WINE" "$3" >"$state/acp.log" 2>&1 </dev/null && acp=0 || acp=$?
    fi
    if [ "$acp" -ne 0 ]; then
        echo "wine-up: Wine does not run with ANSI code page 936 (GBK):" >&2
        cat "$state/acp.log" >&2
        echo "wine-up: generate the zh_CN.UTF-8 locale (scripts/setup.sh does)." >&2
        exit 1
    fi
    cat "$state/acp.log"
fi
echo "wine-up: display :$n, prefix $WINEPREFIX ($arch)"
