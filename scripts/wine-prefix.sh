#!/bin/sh
# Makes the private Wine prefix of one state folder for one build, once, and leaves
# it be afterwards. A prefix made for the other build (a state folder reused, a tree
# copied from another machine) would stop Wine with "WINEARCH set to ... but ... is a
# 32-bit installation"; it is made anew instead. Run with the display that the
# programs will use (DISPLAY), or none.
# Usage: wine-prefix.sh <state-dir> <arch>
set -eu
QM_SCRIPTS=$(cd "$(dirname "$0")" && pwd)
state=$(realpath -m "$1")
arch=${2:?arch: a build of scripts/builds.list}
mkdir -p "$state"
echo "$arch" >"$state/arch"
QM_WINE_STATE=$state
QM_WINE_ARCH=$arch
. "$QM_SCRIPTS/wine-env.sh"
# The screen's DPI (QM_WINE_DPI, 96 unless a test asks for another) is the prefix's.
dpi=${QM_WINE_DPI:-96}
if [ -f "$WINEPREFIX/.qm-ready-4" ] && [ "$(cat "$WINEPREFIX/.qm-arch" 2>/dev/null)" = "$arch" ] &&
    [ "$(cat "$WINEPREFIX/.qm-dpi" 2>/dev/null || echo 96)" = "$dpi" ]; then
    exit 0
fi
"$WINESERVER" -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
"$QM_WINE" wineboot -i >"$state/wineboot.log" 2>&1 </dev/null
# Without a window manager Wine otherwise waits for windows moved off screen.
"$QM_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$state/wineboot.log" 2>&1 </dev/null
# Monitors from Xinerama: XRandR would show the display as one monitor.
"$QM_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f >>"$state/wineboot.log" 2>&1 </dev/null
# Windows has the program's two fonts on every system; Wine has neither, and would
# pick a stand-in by the system's language. The same stand-ins for every language:
# a Chinese font of the same kind, and a monospaced one for the numbers.
"$QM_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Microsoft YaHei" /d "WenQuanYi Micro Hei" /f >>"$state/wineboot.log" 2>&1 </dev/null
"$QM_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Consolas /d "DejaVu Sans Mono" /f >>"$state/wineboot.log" 2>&1 </dev/null
if [ "$dpi" != 96 ]; then
    "$QM_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >>"$state/wineboot.log" 2>&1 </dev/null
    "$QM_WINE" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >>"$state/wineboot.log" 2>&1 </dev/null
fi
# The registry is on disk once the server that wineboot started has ended.
"$WINESERVER" -w
echo "$arch" >"$WINEPREFIX/.qm-arch"
echo "$dpi" >"$WINEPREFIX/.qm-dpi"
touch "$WINEPREFIX/.qm-ready-4"
