#!/bin/sh
# Installs what a fresh Debian 12 machine lacks to build and test Quiltmark.
# Run as root. Does nothing slow when everything is already there.
set -eu

need=""
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

PKGS="g++-mingw-w64-i686-posix libz-mingw-w64-dev wine wine32:i386 xvfb xauth \
locales cmake googletest clang imagemagick fonts-wqy-microhei dpkg-dev x11-utils zlib1g-dev libpng-dev"

for p in $PKGS; do have_pkg "$p" || need="$need $p"; done

if [ -n "$need" ] || ! ls /etc/apt/sources.list.d/quiltmark-src.sources >/dev/null 2>&1; then
    if [ "$(id -u)" != 0 ]; then
        echo "setup: missing packages:$need; run this script as root" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    # libpng is built from Debian's own source package, so apt needs a deb-src entry.
    cat >/etc/apt/sources.list.d/quiltmark-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt-get update -qq
    # shellcheck disable=SC2086
    [ -z "$need" ] || apt-get install -y -qq --no-install-recommends $need >/dev/null
fi

# Wine takes its ANSI code page from the locale; without the generated locale it
# silently falls back to 1252.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
    if [ "$(id -u)" != 0 ]; then echo "setup: zh_CN.UTF-8 locale missing; run as root" >&2; exit 1; fi
    sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi
