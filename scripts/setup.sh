#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for building and testing the
# tool. Idempotent and silent when everything is already there.
set -euo pipefail

packages=(
    g++-mingw-w64-i686 cmake make g++ googletest
    wine wine32:i386 wine64 g++-mingw-w64-x86-64 xvfb xauth imagemagick
    fonts-wine # Wine's symbol font: without it the caption buttons read "0 1 r"
    bsdiff bzip2 libbz2-dev xorriso time clang libclang-rt-14-dev
    g++-multilib qemu-user-static # the 32-bit bspatch under emulation
    zip # make dist
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
