#!/bin/sh
# Everything a fresh Debian 12 machine needs, the build, and every test: host unit
# tests under the sanitizers, fuzzers, and the Windows tests under Wine and Xvfb, on
# the 32-bit program and on its 64-bit build (labels x86 and x64), or on the 64-bit
# build alone where the kernel refuses 32-bit programs.
# Usage: test.sh [extra ctest arguments]
#   QM_WINE_ARCHS=x64 test.sh   takes the 64-bit-only path on any machine
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build"

archs=$("$root/scripts/wine-archs.sh")
skip=""
case " $archs " in
    *" x86 "*" x64 "*) echo "test: Windows tests on the 32-bit and the 64-bit build" ;;
    *" x64 "*)
        if [ -n "${QM_WINE_ARCHS:-}" ]; then
            echo "test: Windows tests on the 64-bit build only (QM_WINE_ARCHS=$QM_WINE_ARCHS)"
        else
            echo "test: Windows tests on the 64-bit build only: the kernel refuses 32-bit programs"
        fi
        skip=x86 ;;
    *" x86 "*)
        echo "test: Windows tests on the 32-bit build only: the 64-bit Wine does not run here"
        skip=x64 ;;
    *)
        echo "test: neither the 32-bit nor the 64-bit Wine runs on this machine" >&2
        echo "test: (tried /usr/lib/wine/wine and /usr/lib/wine/wine64); no Windows test can run" >&2
        exit 1 ;;
esac

# Whatever happens to ctest, no Xvfb or Wine process of this run outlives it.
trap '"$root/scripts/wine-down.sh" "$build/win/wine" >/dev/null 2>&1 || true
      "$root/scripts/wine-down.sh" "$build/win64/wine" >/dev/null 2>&1 || true' EXIT INT TERM
if [ -n "$skip" ]; then
    ctest --test-dir "$build" --output-on-failure -j2 -LE "$skip" "$@"
else
    ctest --test-dir "$build" --output-on-failure -j2 "$@"
fi
