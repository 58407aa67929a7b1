#!/bin/bash
# Cross-builds the two libraries the project links for Windows, once per arch:
#   GoogleTest from Debian's googletest sources (/usr/src/googletest),
#   libjpeg-turbo from Debian's source package (fetched with apt-get source).
# Results land in build/deps/<arch>; a second run finds them and does nothing.
# Usage: scripts/build-deps.sh x64|x86
set -euo pipefail

ARCH=${1:?usage: build-deps.sh x64|x86}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEPS=$ROOT/build/deps
case $ARCH in
    x64) TRIPLE=x86_64-w64-mingw32 ;;
    x86) TRIPLE=i686-w64-mingw32 ;;
    *) echo "unknown arch $ARCH" >&2; exit 2 ;;
esac
TOOLCHAIN=$ROOT/cmake/toolchain-$TRIPLE.cmake
PREFIX=$DEPS/$ARCH
JOBS=$(nproc)
mkdir -p "$DEPS/work" "$PREFIX"

if [ ! -f "$PREFIX/.gtest-done" ]; then
    echo "build-deps: GoogleTest for $ARCH"
    rm -rf "$DEPS/work/gtest-$ARCH"
    cmake -S /usr/src/googletest -B "$DEPS/work/gtest-$ARCH" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF \
        -DCMAKE_INSTALL_PREFIX="$PREFIX" > "$DEPS/work-gtest-$ARCH.log"
    cmake --build "$DEPS/work/gtest-$ARCH" -j "$JOBS" >> "$DEPS/work-gtest-$ARCH.log"
    cmake --install "$DEPS/work/gtest-$ARCH" >> "$DEPS/work-gtest-$ARCH.log"
    touch "$PREFIX/.gtest-done"
fi

# The source package is fetched through a private apt configuration, so the machine's own
# sources list is left as it is. Its source entries mirror the machine's package entries, in
# whichever of apt's two formats the machine has them.
APT_ETC=/etc/apt
write_source_entries() {
    local parts=$1
    rm -f "$parts"/*
    if [ -f "$APT_ETC/sources.list.d/debian.sources" ]; then
        sed 's/^Types:.*$/Types: deb-src/' "$APT_ETC/sources.list.d/debian.sources" > "$parts/debian-src.sources"
    fi
    if [ -f "$APT_ETC/sources.list" ]; then
        sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$APT_ETC/sources.list" > "$parts/debian-src.list"
        [ -s "$parts/debian-src.list" ] || rm -f "$parts/debian-src.list"
    fi
    if [ -z "$(ls -A "$parts")" ]; then
        echo "build-deps: no Debian package sources in $APT_ETC/sources.list.d/debian.sources" \
             "or $APT_ETC/sources.list" >&2
        return 1
    fi
}

fetch_libjpeg_source() {
    local apt=$DEPS/apt
    if ls "$DEPS/src"/libjpeg-turbo_*.orig.tar.gz > /dev/null 2>&1; then return; fi
    mkdir -p "$apt/parts" "$apt/lists/partial" "$apt/cache/archives/partial" "$DEPS/src"
    write_source_entries "$apt/parts"
    local opts=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt/parts"
                -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache")
    # A source entry the mirror has no sources for (a third-party or cdrom line) fails the
    # update; the download below then says whether the Debian entries were enough.
    apt-get "${opts[@]}" update -q > "$DEPS/apt.log" 2>&1 ||
        echo "build-deps: some package sources could not be read (see $DEPS/apt.log)" >&2
    (cd "$DEPS/src" && apt-get "${opts[@]}" source --download-only libjpeg-turbo >> "$DEPS/apt.log" 2>&1)
}

if [ ! -f "$PREFIX/.libjpeg-done" ]; then
    echo "build-deps: libjpeg-turbo for $ARCH"
    fetch_libjpeg_source
    SRC=$DEPS/work/libjpeg-turbo-src
    if [ ! -f "$SRC/.patched" ]; then
        rm -rf "$SRC"; mkdir -p "$SRC"
        tar xzf "$DEPS"/src/libjpeg-turbo_*.orig.tar.gz -C "$SRC" --strip-components=1
        tar xJf "$DEPS"/src/libjpeg-turbo_*.debian.tar.xz -C "$SRC"
        if [ -f "$SRC/debian/patches/series" ]; then
            grep -v '^#' "$SRC/debian/patches/series" | while read -r p; do
                [ -n "$p" ] && patch -d "$SRC" -p1 -s < "$SRC/debian/patches/$p"
            done
        fi
        touch "$SRC/.patched"
    fi
    rm -rf "$DEPS/work/jpeg-$ARCH"
    cmake -S "$SRC" -B "$DEPS/work/jpeg-$ARCH" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
        -DREQUIRE_SIMD=ON -DCMAKE_INSTALL_PREFIX="$PREFIX" > "$DEPS/work-jpeg-$ARCH.log"
    cmake --build "$DEPS/work/jpeg-$ARCH" -j "$JOBS" >> "$DEPS/work-jpeg-$ARCH.log"
    cmake --install "$DEPS/work/jpeg-$ARCH" >> "$DEPS/work-jpeg-$ARCH.log"
    touch "$PREFIX/.libjpeg-done"
fi
