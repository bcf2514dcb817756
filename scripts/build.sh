#!/bin/sh
# Configures and builds everything: the host tests and the Windows builds of
# scripts/builds.list. Then leaves each Windows program as a user gets it, stripped,
# in <build>/dist, with its debugging information beside it in a file of its own.
# Usage: build.sh [build-dir]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
QM_SCRIPTS="$root/scripts"
. "$QM_SCRIPTS/builds.sh"
# The host build names its compilers: where c++ is clang++ it would reject the
# program's character-set flags.
mkdir -p "$build"
cmake -S "$root" -B "$build" -G "Unix Makefiles" -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ \
    >"$build/configure.log" 2>&1 || { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" -j2

built=$(sed -n 's/^QM_WINDOWS_ARCHS:[A-Z]*=//p' "$build/CMakeCache.txt" | tr ';' ' ')
grep -q '^QM_WINDOWS_BUILD:BOOL=ON' "$build/CMakeCache.txt" || built=""
dist="$build/dist"
mkdir -p "$dist"
for arch in $built; do
    qm_build "$arch"
    exe="$build/$QM_FOLDER/Quiltmark.exe"
    out="$dist/$QM_SHIPPED"
    "$QM_TRIPLE-objcopy" --only-keep-debug "$exe" "$out.debug"
    "$QM_TRIPLE-strip" --strip-all -o "$out.tmp" "$exe"
    (cd "$dist" && "$QM_TRIPLE-objcopy" --add-gnu-debuglink="$QM_SHIPPED.debug" "$QM_SHIPPED.tmp" "$QM_SHIPPED")
    rm -f "$out.tmp"
    echo "Built $out ($arch, $(wc -c <"$out") bytes; debugging information in $QM_SHIPPED.debug)"
done
