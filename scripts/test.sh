#!/bin/sh
# Everything a fresh Debian 12 machine needs, the build, and every test: host unit
# tests under the sanitizers, fuzzers, and the Windows tests under Wine and Xvfb.
# Usage: test.sh [extra ctest arguments]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build"
# Whatever happens to ctest, no Xvfb or Wine process of this run outlives it.
trap '"$root/scripts/wine-down.sh" "$build/win/wine" >/dev/null 2>&1 || true' EXIT INT TERM
ctest --test-dir "$build" --output-on-failure -j2 "$@"
