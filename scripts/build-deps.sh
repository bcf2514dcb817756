#!/bin/sh
# Builds libpng for one Windows target from Debian's own source package and installs
# it into <build>/deps/<arch>/prefix. zlib comes from libz-mingw-w64-dev.
# Usage: build-deps.sh <build-dir> <arch>
set -eu
build=$(realpath -m "${1:?build dir}")
arch=${2:?arch: a build of scripts/builds.list}
QM_SCRIPTS=$(cd "$(dirname "$0")" && pwd)
. "$QM_SCRIPTS/builds.sh"
qm_build "$arch" || exit 2
triple=$QM_TRIPLE
deps="$build/deps"
prefix="$deps/$arch/prefix"
[ -f "$prefix/lib/libpng16.a" ] && [ -f "$prefix/include/png.h" ] && exit 0

here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$deps/src"
cd "$deps/src"
# The source is fetched and unpacked once for both targets; a lock keeps the two
# builds, which may run side by side, from fetching it twice.
(
    flock 9
    if ! ls -d libpng1.6-*/ >/dev/null 2>&1; then
        # apt-get source warns when it cannot drop to the _apt user; that is harmless.
        apt-get source -qq --download-only libpng1.6 >apt-source.log 2>&1 ||
            { cat apt-source.log >&2; exit 1; }
        dpkg-source -x --skip-debianization libpng1.6_*.dsc >dpkg-source.log 2>&1 ||
            { cat dpkg-source.log >&2; exit 1; }
    fi
) 9>"$deps/src.lock"
src=$(ls -d "$deps"/src/libpng1.6-*/ | head -n1)
work="$deps/$arch"
mkdir -p "$work"
cmake -S "$src" -B "$work/png-build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$(echo "$triple" | cut -d- -f1).cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DPNG_BUILD_ZLIB=OFF -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON \
    -DZLIB_LIBRARY="/usr/$triple/lib/libz.a" \
    -DZLIB_INCLUDE_DIR="/usr/$triple/include" >"$work/png-configure.log" 2>&1 ||
    { cat "$work/png-configure.log" >&2; exit 1; }
cmake --build "$work/png-build" -j2 >"$work/png-build.log" 2>&1 ||
    { tail -50 "$work/png-build.log" >&2; exit 1; }
cmake --install "$work/png-build" >"$work/png-install.log" 2>&1 ||
    { cat "$work/png-install.log" >&2; exit 1; }
