# Sourced: the Windows builds of scripts/builds.list, and which of them this machine
# can run. Every script that builds, starts or tests a Windows program asks here.
#   qm_builds                 every build's arch, in the list's order
#   qm_build ARCH             sets QM_FOLDER, QM_TRIPLE, QM_LOADER, QM_WINEARCH and
#                             QM_SHIPPED for ARCH; fails for a name not in the list
#   qm_wanted_archs           the builds QM_WINE_ARCHS names (all when it is unset or empty),
#                             in the list's order; fails with a message on a bad value
#   qm_arch_runs ARCH         0 when Wine runs ARCH's programs here; 1 when the kernel
#                             refuses them (the one good reason to leave a build
#                             out); 2 when its Wine is broken. QM_WHY_NOT says why.
#   qm_first_runnable         the first wanted build that runs here (the 64-bit
#                             program, the one users download), or nothing; fails when a
#                             wanted build's Wine is broken
#   qm_require_built ROOT BUILD ARCH   fails with a message unless ARCH is built in
#                             BUILD and nothing in ROOT's sources is newer
#   qm_pick_build ROOT BUILD WHO      the build to start a program of: the first
#                             runnable one, built and up to date; sets QM_ARCH and
#                             what qm_build sets, or fails with a message from WHO
# Usage: QM_SCRIPTS=<the scripts folder>; . "$QM_SCRIPTS/builds.sh"
QM_BUILDS_LIST="${QM_SCRIPTS:?the scripts folder}/builds.list"

qm_builds() {
    sed -e 's/#.*//' "$QM_BUILDS_LIST" | awk 'NF { printf "%s%s", sep, $1; sep = " " } END { print "" }'
}

qm_build() {
    # shellcheck disable=SC2046
    set -- "$1" $(sed -e 's/#.*//' "$QM_BUILDS_LIST" | awk -v a="$1" '$1 == a { print $2, $3, $4, $5, $6 }')
    [ $# -eq 6 ] || { echo "builds: no build called '$1' in $QM_BUILDS_LIST" >&2; return 1; }
    QM_FOLDER=$2 QM_TRIPLE=$3 QM_LOADER=$4 QM_WINEARCH=$5 QM_SHIPPED=$6
}

qm_wanted_archs() {
    # The words are names, never file patterns.
    set -f
    all=$(qm_builds)
    [ -n "${QM_WINE_ARCHS:-}" ] || { echo "$all"; return 0; }
    for word in $QM_WINE_ARCHS; do
        case " $all " in
            *" $word "*) ;;
            *)
                echo "builds: QM_WINE_ARCHS='$QM_WINE_ARCHS': '$word' is no build;" \
                    "allowed are $(echo "$all" | sed 's/ /, /g'), or several of them separated by spaces" >&2
                set +f
                return 2 ;;
        esac
    done
    wanted=""
    for arch in $all; do
        for word in $QM_WINE_ARCHS; do
            [ "$word" = "$arch" ] && { wanted="${wanted:+$wanted }$arch"; break; }
        done
    done
    set +f
    [ -n "$wanted" ] || {
        echo "builds: QM_WINE_ARCHS is set but names no build; allowed are $(echo "$all" | sed 's/ /, /g')" >&2
        return 2
    }
    echo "$wanted"
}

# A loader prints its version without starting a wineserver, so this is safe to run
# anywhere, and its output may be captured. Where the kernel has 32-bit emulation
# switched off, exec of the i386 loader fails with "Exec format error"; decide by
# trying, not by reading uname. Any other failure is a broken set-up, not a reason
# to test or run another build instead.
qm_arch_runs() {
    QM_WHY_NOT=""
    qm_build "$1" || return 2
    if [ ! -x "$QM_LOADER" ]; then
        QM_WHY_NOT="$QM_LOADER is not installed (scripts/setup.sh installs it)"
        return 2
    fi
    out=$("$QM_LOADER" --version 2>&1) && return 0
    case $out in
        *"Exec format error"*)
            QM_WHY_NOT="the kernel refuses its programs: Exec format error"
            return 1 ;;
    esac
    QM_WHY_NOT="$QM_LOADER --version fails: $(echo "$out" | head -n1)"
    return 2
}

qm_first_runnable() {
    wanted=$(qm_wanted_archs) || return 2
    for arch in $wanted; do
        qm_arch_runs "$arch" && { echo "$arch"; return 0; }
        [ $? -eq 1 ] || { echo "builds: the $arch build cannot start: $QM_WHY_NOT" >&2; return 2; }
    done
    echo ""
}

# A build counts as built once its sub-build has finished (the host build touches
# <folder>/.qm-built after it) and no source of the program changed since.
qm_require_built() {
    qm_build "$3" || return 1
    stamp="$2/$QM_FOLDER/.qm-built"
    if [ ! -f "$stamp" ]; then
        echo "builds: the $3 build is not built ($2/$QM_FOLDER); run scripts/build.sh" >&2
        return 1
    fi
    newer=$(find "$1" \( -path "$1/build" -o -path "$1/.git" -o -path "$1/docs" -o -path "$1/scripts" \) -prune \
        -o -type f ! -name '*.md' -newer "$stamp" -print 2>/dev/null | head -n1)
    if [ -n "$newer" ]; then
        echo "builds: the $3 build is older than $newer; run scripts/build.sh" >&2
        return 1
    fi
}

qm_pick_build() {
    QM_ARCH=$(qm_first_runnable) || return 2
    if [ -z "$QM_ARCH" ]; then
        echo "$3: Wine runs none of the builds $(qm_wanted_archs) here" >&2
        return 1
    fi
    qm_require_built "$1" "$2" "$QM_ARCH" && qm_build "$QM_ARCH"
}
