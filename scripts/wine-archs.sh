#!/bin/sh
# Prints the Windows builds that this machine can run under Wine, found by trying
# each loader: "x86 x64", "x64" on a kernel that refuses 32-bit programs, "x86"
# without a 64-bit Wine, nothing at all when neither runs. With --first, prints only
# the build to run the program with (the 32-bit product where it runs). The loaders
# print their version without starting a wineserver, so capturing this is safe.
# QM_WINE_ARCHS (e.g. "x64") overrides the probe, to try the other path by hand.
# Usage: wine-archs.sh [--first]
archs=${QM_WINE_ARCHS:-}
if [ -z "$archs" ]; then
    # Exec of an i386 ELF fails with "Exec format error" where the kernel has 32-bit
    # emulation switched off.
    /usr/lib/wine/wine --version >/dev/null 2>&1 && archs="x86"
    /usr/lib/wine/wine64 --version >/dev/null 2>&1 && archs="${archs:+$archs }x64"
fi
if [ "${1:-}" = --first ]; then
    echo "${archs%% *}"
else
    echo "$archs"
fi
