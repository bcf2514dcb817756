#!/bin/sh
# Builds everything and runs the arrangement benchmark under Wine on a virtual
# 1920x1080 display of its own, which is torn down again however the run ends.
# Usage: bench.sh (as root only while scripts/setup.sh finds something missing)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
state="$build/bench-wine"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build" >/dev/null
trap '"$root/scripts/wine-down.sh" "$state" >/dev/null 2>&1 || true' EXIT INT TERM
"$root/scripts/wine-up.sh" "$state" >/dev/null
# Wine's output goes through a file, never a pipe or $(...).
wine --version >"$state/wine-version" 2>&1 </dev/null
cpu=$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
echo "Machine: $(nproc) CPUs, $cpu, $(cat "$state/wine-version")"
"$root/scripts/wine-run.sh" "$state" "$build/win/arrange_bench.exe"
