# Sourced: the Wine environment of one state folder (a private prefix and, once
# started, a display). The folder remembers which build it serves (x86: a 32-bit
# prefix and loader; x64: a 64-bit prefix and loader); QM_WINE_ARCH names it for a
# folder that does not know yet. Afterwards "$QM_WINE" runs a Windows program.
# Usage: QM_WINE_STATE=<state-dir>; . wine-env.sh
QM_WINE_STATE=$(realpath -m "${QM_WINE_STATE:?state dir}")
if [ -z "${QM_WINE_ARCH:-}" ] && [ -f "$QM_WINE_STATE/arch" ]; then
    QM_WINE_ARCH=$(cat "$QM_WINE_STATE/arch")
fi
QM_WINE_ARCH=${QM_WINE_ARCH:-x86}
# The loaders are called directly: /usr/bin/wine picks the 32-bit one whenever it is
# installed, even on a kernel that cannot run it.
case $QM_WINE_ARCH in
    x64)
        export WINEARCH=win64
        export WINELOADER=/usr/lib/wine/wine64
        ;;
    *)
        export WINEARCH=win32
        export WINELOADER=/usr/lib/wine/wine
        ;;
esac
QM_WINE=$WINELOADER
export WINEPREFIX="$QM_WINE_STATE/prefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
if [ -f "$QM_WINE_STATE/display" ]; then
    DISPLAY=$(cat "$QM_WINE_STATE/display")
    export DISPLAY
fi
