# Sourced: the Wine environment of one state folder (a private prefix and, once
# started, a display). Usage: QM_WINE_STATE=<state-dir>; . wine-env.sh
QM_WINE_STATE=$(realpath -m "${QM_WINE_STATE:?state dir}")
export WINEPREFIX="$QM_WINE_STATE/prefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win32
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
if [ -f "$QM_WINE_STATE/display" ]; then
    DISPLAY=$(cat "$QM_WINE_STATE/display")
    export DISPLAY
fi
