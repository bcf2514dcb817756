#!/bin/sh
# Builds everything and runs the benchmarks under Wine on a virtual 1920x1080 display
# of its own, which is torn down again however the run ends: the arrangement engine
# in-process, then whole runs of Quiltmark.exe (as shipped, from build/dist) against
# bare programs, stripped alike. It runs them on
# every build of scripts/builds.list that this machine runs (the 64-bit program, the
# one users download, first), each with its own prefix and display, one after the other.
# Usage: bench.sh (as root only while scripts/setup.sh finds something missing)
#   QM_WINE_ARCHS="x86"   benchmarks only the builds it names
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
QM_SCRIPTS="$root/scripts"
. "$QM_SCRIPTS/builds.sh"
wanted=$(qm_wanted_archs) || exit 2
"$QM_SCRIPTS/setup.sh"
"$QM_SCRIPTS/build.sh" "$build" >/dev/null
archs=""
for arch in $wanted; do
    qm_arch_runs "$arch" && runs=0 || runs=$?
    case $runs in
        0) archs="$archs $arch" ;;
        1) echo "bench: no figures for the $arch build: $QM_WHY_NOT" ;;
        *) echo "bench: the $arch build cannot start: $QM_WHY_NOT" >&2; exit 1 ;;
    esac
done
[ -n "$archs" ] || { echo "bench: Wine runs none of the builds $wanted here" >&2; exit 1; }

state=""
trap '[ -z "$state" ] || "$QM_SCRIPTS/wine-down.sh" "$state" >/dev/null 2>&1 || true' EXIT
trap 'exit 130' INT TERM HUP
cpu=$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
for arch in $archs; do
    qm_require_built "$root" "$build" "$arch"
    qm_build "$arch"
    win="$build/$QM_FOLDER"
    state="$win/wine-bench"
    "$QM_SCRIPTS/wine-up.sh" "$state" "$arch" >/dev/null
    QM_WINE_STATE=$state
    QM_WINE_ARCH=$arch
    . "$QM_SCRIPTS/wine-env.sh"
    # Wine's output goes through a file, never a pipe or $(...).
    "$QM_WINE" --version >"$state/wine-version" 2>&1 </dev/null
    echo "== The $arch build ($win): $(nproc) CPUs, $cpu, $(cat "$state/wine-version")"
    "$QM_SCRIPTS/wine-run.sh" "$state" "$win/arrange_bench.exe"
    echo
    # Whole programs are timed as they ship, stripped: Wine reads a program's debugging
    # information in with it at every start (about 6 MB, 20 ms, for Quiltmark.exe).
    shipped="$win/shipped"
    mkdir -p "$shipped"
    cp "$build/dist/$QM_SHIPPED" "$shipped/Quiltmark.exe"
    for program in bare_arrange bare_controls bare_window process_bench watch_bench; do
        "$QM_TRIPLE-strip" --strip-all -o "$shipped/$program.exe" "$win/$program.exe"
    done
    "$QM_SCRIPTS/wine-run.sh" "$state" "$shipped/process_bench.exe"
    echo
    "$QM_SCRIPTS/wine-run.sh" "$state" "$shipped/watch_bench.exe"
    echo
    "$QM_SCRIPTS/wine-down.sh" "$state" >/dev/null 2>&1 || true
    state=""
done
