#!/bin/sh
# Builds everything and runs the benchmarks under Wine on a virtual 1920x1080 display
# of its own, which is torn down again however the run ends: the arrangement engine
# in-process, then whole runs of Quiltmark.exe against bare programs.
# Usage: bench.sh (as root only while scripts/setup.sh finds something missing)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
state="$build/bench-wine"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build" >/dev/null
# The 32-bit program where this machine runs it, else the 64-bit build.
arch=$("$root/scripts/wine-archs.sh" --first)
[ -n "$arch" ] || { echo "bench: Wine runs neither the 32-bit nor the 64-bit program here" >&2; exit 1; }
if [ "$arch" = x64 ]; then win="$build/win64"; else win="$build/win"; fi
trap '"$root/scripts/wine-down.sh" "$state" >/dev/null 2>&1 || true' EXIT INT TERM
"$root/scripts/wine-up.sh" "$state" "$arch" >/dev/null
QM_WINE_STATE=$state
. "$root/scripts/wine-env.sh"
# Wine's output goes through a file, never a pipe or $(...).
"$QM_WINE" --version >"$state/wine-version" 2>&1 </dev/null
cpu=$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
echo "Machine: $(nproc) CPUs, $cpu, $(cat "$state/wine-version"), $arch build"
"$root/scripts/wine-run.sh" "$state" "$win/arrange_bench.exe"
echo
"$root/scripts/wine-run.sh" "$state" "$win/process_bench.exe"
