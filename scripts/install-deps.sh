#!/bin/sh
# Installs every Debian package the build and the tests need. Safe to run again:
# it only calls apt-get when something is missing.
set -eu

PACKAGES="g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64
wine wine64 wine32:i386 xvfb xauth x11-utils xdotool imagemagick cmake ninja-build nasm
googletest python3 ca-certificates qemu-user-static util-linux"

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    echo "install-deps: all packages present"
    exit 0
fi

echo "install-deps: installing$missing"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends $missing
