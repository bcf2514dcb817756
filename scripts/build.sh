#!/bin/sh
# Configures and builds everything: the host tests and both Windows builds.
# Usage: build.sh [build-dir]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
cmake -S "$root" -B "$build" -G "Unix Makefiles" >"$root/.cmake-configure.log" 2>&1 ||
    { cat "$root/.cmake-configure.log" >&2; exit 1; }
rm -f "$root/.cmake-configure.log"
cmake --build "$build" -j2
echo "Built $build/win/Quiltmark.exe (32-bit) and $build/win64/Quiltmark.exe (64-bit)"
