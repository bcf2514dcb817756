#!/bin/sh
# Installs what a fresh Debian 12 machine lacks to build and test Quiltmark: the
# MinGW-w64 compilers for the 64-bit program and the 32-bit one, Wine for both,
# Xvfb, the zh_CN.UTF-8 locale, a CJK font. Does nothing slow when everything is
# already there. Run as root, or as a user who may use sudo (asked only when
# something is missing).
set -eu

# A root shell in a fresh container has no sudo; a normal user needs it.
as_root() {
    if [ "$(id -u)" = 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "setup: $1 needs root: run this as root, or install sudo" >&2
        exit 1
    fi
}

need=""
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# wine32 is installed everywhere, even where the kernel refuses 32-bit programs:
# the tests find out by trying which builds run, and one machine's set-up stays the
# same as the next one's. The host build's compiler is g++, and make runs its build;
# clang with its sanitizer and fuzzing runtime builds the fuzzers. apt installs no
# recommended packages here, so each of them is named.
PKGS="gcc g++ make cmake g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev \
wine wine32:i386 wine64 xvfb xauth locales googletest clang libclang-rt-14-dev imagemagick \
fonts-wqy-microhei fonts-dejavu-core dpkg-dev xz-utils x11-utils zlib1g-dev libpng-dev libxinerama1 libxinerama1:i386"

for p in $PKGS; do have_pkg "$p" || need="$need $p"; done

# The URIs of the machine's own Debian source for its release, from sources.list or
# a deb822 .sources file, so that the deb-src entry names the mirror the machine
# already uses and nothing here names one.
debian_uris() {
    codename=$1
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        awk -v s="$codename" '
            $1 == "deb" {
                i = 2
                if ($i ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
                if ($(i + 1) == s) print $i
            }' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk -v s="$codename" '
            function flush() {
                if (deb && suite && uris != "") print uris
                deb = 0; suite = 0; uris = ""
            }
            /^[ \t]*$/ { flush(); next }
            /^[ \t]*#/ { next }
            tolower($1) == "types:" { for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1 }
            tolower($1) == "suites:" { for (i = 2; i <= NF; i++) if ($i == s) suite = 1 }
            tolower($1) == "uris:" { for (i = 2; i <= NF; i++) uris = uris (uris == "" ? "" : " ") $i }
            END { flush() }' "$f"
    done
}

src=/etc/apt/sources.list.d/quiltmark-src.sources
if [ -n "$need" ] || [ ! -f "$src" ]; then
    echo "setup: installing:${need:- (deb-src entry)}"
    export DEBIAN_FRONTEND=noninteractive
    dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
    # libpng is built from Debian's own source package, so apt needs a deb-src entry.
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
    uris=$(debian_uris "$codename" | tr ' ' '\n' | awk 'NF && !seen[$0]++' | tr '\n' ' ' | sed 's/ $//')
    if [ -z "$uris" ]; then
        echo "setup: no deb entry for $codename in /etc/apt/sources.list or sources.list.d;" \
            "add the machine's Debian source, then run this again" >&2
        exit 1
    fi
    as_root tee "$src" >/dev/null <<SRC
Types: deb-src
URIs: $uris
Suites: $codename
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    # A mirror in the middle of a sync can serve one index of the wrong size for an
    # hour. Try a few times; then go on, since what is needed may well be in the
    # indexes that did arrive, and fail only if the install itself fails.
    log=$(mktemp)
    tries=0
    until as_root apt-get update -qq >"$log" 2>&1; do
        tries=$((tries + 1))
        [ "$tries" -lt 3 ] || break
        echo "setup: apt-get update failed (try $tries of 3); trying again in 20 s" >&2
        sleep 20
    done
    failed=$(grep -E '^(E|W): Failed to fetch' "$log" | sed 's/^[EW]: Failed to fetch //; s/ .*//' | sort -u)
    [ -z "$failed" ] || echo "setup: apt-get update could not fetch:" $failed "; going on with the indexes it has" >&2
    install() {
        # shellcheck disable=SC2086
        as_root env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -qq --no-install-recommends "$@" $need >"$log" 2>&1
    }
    # With an index missing, the two architectures of one library can be offered at
    # different versions (an update seen for amd64 only), which multiarch refuses;
    # the release's own packages are whole for both, so they are tried next.
    fallback=""
    if [ -n "$need" ] && ! install &&
        { [ -z "$failed" ] || ! { fallback=1 && install -t "$codename"; }; }; then
        cat "$log" >&2
        if [ -n "$failed" ]; then
            echo "setup: the install failed after these indexes could not be fetched:" $failed >&2
            echo "setup: the mirror is probably in the middle of a sync; run the command again later" >&2
        fi
        rm -f "$log"
        exit 1
    fi
    [ -z "$fallback" ] || echo "setup: installed from $codename's own packages, without the updates of the missing indexes" >&2
    rm -f "$log"
fi

# Wine takes its ANSI code page from the locale; without the generated locale it
# silently falls back to 1252. Chinese (936) is the test prefix's; English (1252),
# Traditional Chinese (950) and Japanese (932) are the other systems the window is
# checked on.
missing=""
for loc in zh_CN en_US zh_TW ja_JP; do
    locale -a 2>/dev/null | grep -qi "^$loc\.utf8\$" || missing="$missing $loc"
done
if [ -n "$missing" ]; then
    for loc in $missing; do
        as_root sed -i "s/^# *\($loc.UTF-8 UTF-8\)/\1/" /etc/locale.gen
        grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen ||
            echo "$loc.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    done
    as_root locale-gen >/dev/null
fi
