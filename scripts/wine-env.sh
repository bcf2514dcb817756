# Sourced: the Wine environment of one state folder (a private prefix and, once
# started, a display). The folder remembers which build it serves in its file
# "arch"; QM_WINE_ARCH names it for a folder that does not know yet. The loader and
# the prefix's WINEARCH come from scripts/builds.list. Afterwards "$QM_WINE" runs a
# Windows program of that build.
# Usage: QM_WINE_STATE=<state-dir>; . wine-env.sh   (QM_SCRIPTS: the scripts folder)
QM_WINE_STATE=$(realpath -m "${QM_WINE_STATE:?state dir}")
if [ -z "${QM_WINE_ARCH:-}" ] && [ -f "$QM_WINE_STATE/arch" ]; then
    QM_WINE_ARCH=$(cat "$QM_WINE_STATE/arch")
fi
: "${QM_WINE_ARCH:?wine-env: $QM_WINE_STATE serves no build yet (no arch file)}"
. "${QM_SCRIPTS:?the scripts folder}/builds.sh"
qm_build "$QM_WINE_ARCH" || return 1 2>/dev/null || exit 1
# The loaders are called directly: /usr/bin/wine picks the 32-bit one whenever it is
# installed, even on a kernel that cannot run it.
export WINEARCH=$QM_WINEARCH
export WINELOADER=$QM_LOADER
export WINESERVER="$(dirname "$QM_LOADER")/wineserver"
# Through scripts/wine-loader.sh where the kernel lets a process turn off address
# randomisation. Where it refuses (a container's system-call rules may), a start that
# Wine lost is made once more (QM_START_RETRY: scripts/wine-run.sh, wine-up.sh and
# tests/support/start.h); nowhere else, so that no other lost start goes unseen.
QM_WINE=$WINELOADER
if setarch "$(uname -m)" -R true 2>/dev/null; then
    QM_WINE="$QM_SCRIPTS/wine-loader.sh"
    unset QM_START_RETRY
else
    export QM_START_RETRY=1
fi
export WINEPREFIX="$QM_WINE_STATE/prefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
# The system's language, which gives Wine its ANSI code page: Chinese (936) unless a
# test asks for another (QM_WINE_LANG=en_US.UTF-8 gives 1252).
export LANG="${QM_WINE_LANG:-zh_CN.UTF-8}"
export LC_ALL="$LANG"
if [ -f "$QM_WINE_STATE/display" ]; then
    DISPLAY=$(cat "$QM_WINE_STATE/display")
    export DISPLAY
fi
