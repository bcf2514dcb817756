#!/bin/sh
# Builds libpng for the i686 Windows target from Debian's own source package and
# installs it into <build>/deps/prefix. zlib comes from libz-mingw-w64-dev.
# Usage: build-deps.sh <build-dir>
set -eu
build=$(realpath -m "${1:?build dir}")
deps="$build/deps"
prefix="$deps/prefix"
[ -f "$prefix/lib/libpng16.a" ] && [ -f "$prefix/include/png.h" ] && exit 0

here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$deps/src"
cd "$deps/src"
if ! ls -d libpng1.6-*/ >/dev/null 2>&1; then
    # apt-get source warns when it cannot drop to the _apt user; that is harmless.
    apt-get source -qq --download-only libpng1.6 >apt-source.log 2>&1 ||
        { cat apt-source.log >&2; exit 1; }
    dpkg-source -x --skip-debianization libpng1.6_*.dsc >dpkg-source.log 2>&1 ||
        { cat dpkg-source.log >&2; exit 1; }
fi
src=$(ls -d "$deps"/src/libpng1.6-*/ | head -n1)
cmake -S "$src" -B "$deps/png-build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DPNG_BUILD_ZLIB=OFF -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON \
    -DZLIB_LIBRARY=/usr/i686-w64-mingw32/lib/libz.a \
    -DZLIB_INCLUDE_DIR=/usr/i686-w64-mingw32/include >"$deps/png-configure.log" 2>&1 ||
    { cat "$deps/png-configure.log" >&2; exit 1; }
cmake --build "$deps/png-build" -j2 >"$deps/png-build.log" 2>&1 ||
    { tail -50 "$deps/png-build.log" >&2; exit 1; }
cmake --install "$deps/png-build" >"$deps/png-install.log" 2>&1 ||
    { cat "$deps/png-install.log" >&2; exit 1; }
