#!/bin/sh
# Installs what a fresh Debian 12 machine lacks to build and test Quiltmark: the
# MinGW-w64 compilers for the 32-bit program and its 64-bit build, Wine for both,
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
# the tests find out by trying which builds run. The host build's compiler is g++
# (clang++ rejects the program's -fexec-charset=GBK), and make runs its build;
# clang with its sanitizer and fuzzing runtime builds the fuzzers. apt installs no
# recommended packages here, so each of them is named.
PKGS="gcc g++ make cmake g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev \
wine wine32:i386 wine64 xvfb xauth locales googletest clang libclang-rt-14-dev imagemagick \
fonts-wqy-microhei dpkg-dev xz-utils x11-utils zlib1g-dev libpng-dev libxinerama1 libxinerama1:i386"

for p in $PKGS; do have_pkg "$p" || need="$need $p"; done

src=/etc/apt/sources.list.d/quiltmark-src.sources
if [ -n "$need" ] || [ ! -f "$src" ]; then
    echo "setup: installing:${need:- (deb-src entry)}"
    export DEBIAN_FRONTEND=noninteractive
    dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
    # libpng is built from Debian's own source package, so apt needs a deb-src entry.
    as_root tee "$src" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    as_root apt-get update -qq
    # shellcheck disable=SC2086
    [ -z "$need" ] || as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends $need >/dev/null
fi

# Wine takes its ANSI code page from the locale; without the generated locale it
# silently falls back to 1252.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
    as_root sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen ||
        echo 'zh_CN.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
fi
