#!/bin/bash
# Builds the Windows programs and tests for one arch (or both).
# Usage: scripts/build.sh [x64|x86|all] [BUILD_DIR]   (default: x64, build/<arch>)
# The programs land in BUILD_DIR/bin, the test programs in BUILD_DIR/tests.
set -euo pipefail

ARCH=${1:-x64}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
if [ "$ARCH" = all ]; then
    "$0" x64 && "$0" x86
    exit
fi
case $ARCH in
    x64) TRIPLE=x86_64-w64-mingw32 ;;
    x86) TRIPLE=i686-w64-mingw32 ;;
    *) echo "usage: build.sh [x64|x86|all] [BUILD_DIR]" >&2; exit 2 ;;
esac
BUILD=${2:-$ROOT/build/$ARCH}
DEPS=$ROOT/build/deps/$ARCH

# Several builds may start at once on a developer machine; the first one builds the deps.
mkdir -p "$ROOT/build"
flock "$ROOT/build/.deps.lock" "$ROOT/scripts/build-deps.sh" "$ARCH"

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    GENERATOR=()
    if command -v ninja > /dev/null; then GENERATOR=(-G Ninja); fi
    cmake -S "$ROOT" -B "$BUILD" "${GENERATOR[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$TRIPLE.cmake" \
        -DCMAKE_BUILD_TYPE=Release \
        -DGTest_DIR="$DEPS/lib/cmake/GTest" \
        -Dlibjpeg-turbo_DIR="$DEPS/lib/cmake/libjpeg-turbo"
fi
cmake --build "$BUILD" -j "$(nproc)"
echo "build: $ARCH programs in $BUILD/bin"
