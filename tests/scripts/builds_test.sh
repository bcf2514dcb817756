#!/bin/sh
# The list of builds and the checks the scripts make with it: which names
# QM_WINE_ARCHS takes, in which order the builds come out, and when a build counts
# as built. Prints each failed check; exits 1 if any failed.
QM_SCRIPTS=$(cd "$(dirname "$0")/../../scripts" && pwd)
. "$QM_SCRIPTS/builds.sh"
failed=0
expect() {  # expect <what> <wanted> <got>
    [ "$2" = "$3" ] || { echo "FAIL: $1: wanted '$2', got '$3'"; failed=1; }
}

# The 64-bit program first: it ships as Quiltmark.exe.
expect "the builds" "x64 x86" "$(qm_builds)"
qm_build x86 && expect "x86" "win i686-w64-mingw32 /usr/lib/wine/wine win32 Quiltmark-x86.exe" \
    "$QM_FOLDER $QM_TRIPLE $QM_LOADER $QM_WINEARCH $QM_SHIPPED"
qm_build x64 && expect "x64" "win64 x86_64-w64-mingw32 /usr/lib/wine/wine64 win64 Quiltmark.exe" \
    "$QM_FOLDER $QM_TRIPLE $QM_LOADER $QM_WINEARCH $QM_SHIPPED"
qm_build amd64 2>/dev/null && { echo "FAIL: amd64 taken for a build"; failed=1; }

# Good values in any order and spacing come out in the list's order, once each.
for value in "" "x86 x64" "x64 x86" "  x64	x86  " "x86 x64 x86"; do
    expect "QM_WINE_ARCHS='$value'" "x64 x86" "$(QM_WINE_ARCHS=$value qm_wanted_archs)"
done
expect "QM_WINE_ARCHS=x64" "x64" "$(QM_WINE_ARCHS=x64 qm_wanted_archs)"
expect "QM_WINE_ARCHS=' x86 '" "x86" "$(QM_WINE_ARCHS=' x86 ' qm_wanted_archs)"
# Bad ones stop with exit code 2 and a message naming the allowed values.
for value in amd64 "x86,x64" "x64 i386" X86 " "; do
    message=$(QM_WINE_ARCHS=$value qm_wanted_archs 2>&1 >/dev/null)
    QM_WINE_ARCHS=$value qm_wanted_archs >/dev/null 2>&1
    expect "exit code for QM_WINE_ARCHS='$value'" 2 $?
    case $message in
        *"x64, x86"*) ;;
        *) echo "FAIL: QM_WINE_ARCHS='$value': the message names no allowed value: $message"; failed=1 ;;
    esac
done

# Built means: the sub-build finished, and no source changed since.
tree=$(mktemp -d)
mkdir -p "$tree/app" "$tree/build/win" "$tree/docs"
touch -d '2020-01-01' "$tree/app/main.cpp"
qm_require_built "$tree" "$tree/build" x86 2>/dev/null && { echo "FAIL: a build never built counts as built"; failed=1; }
touch -d '2021-01-01' "$tree/build/win/.qm-built"
qm_require_built "$tree" "$tree/build" x86 || { echo "FAIL: a fresh build counts as stale"; failed=1; }
touch -d '2022-01-01' "$tree/docs/picture.png" "$tree/README.md"
qm_require_built "$tree" "$tree/build" x86 || { echo "FAIL: a changed picture of the README makes the build stale"; failed=1; }
touch -d '2022-01-01' "$tree/app/main.cpp"
qm_require_built "$tree" "$tree/build" x86 2>/dev/null && { echo "FAIL: a build older than a source counts as built"; failed=1; }
rm -rf "$tree"

[ "$failed" = 0 ] && echo "builds: all checks passed"
exit "$failed"
