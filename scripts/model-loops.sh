#!/bin/bash
# The AVX kernels' loops, modelled by llvm-mca for the processor families the program meets:
# the three-group loops of z^2, z^3 and z^4 and the C++ two- and one-group loops, for Float8
# and Double4, taken from the built object of render/avx/Kernels256.cpp. Prints each loop's
# modelled cycles per group step for znver2, znver3, znver4, alderlake and sapphirerapids (a
# three-group loop's iteration makes three group steps, a two-group loop's two).
#
#   scripts/model-loops.sh [--against REV] [--iterations N] [BUILD_DIR]
#       BUILD_DIR: this tree's x64 build (default build/x64), built first. --against REV builds
#       REV's AVX kernels too, in BUILD_DIR/against-REV (the tree bench.sh --against uses), and
#       prints both side by side with the ratio (REV's cycles over this tree's).
#
# A model, not a measurement: llvm-mca runs each loop as a straight line (its exits not taken),
# from the compiler's scheduling model of each processor. The modelled assembly is left in
# BUILD_DIR/model-loops. Installs Debian's llvm-16 (as root) when llvm-mca-16 is missing.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
AGAINST=
ITERATIONS=1000
BUILD=
while [ $# -gt 0 ]; do
    case $1 in
        --against) AGAINST=$2; shift 2 ;;
        --iterations) ITERATIONS=$2; shift 2 ;;
        -*) echo "usage: model-loops.sh [--against REV] [--iterations N] [BUILD_DIR]" >&2; exit 2 ;;
        *) BUILD=$1; shift ;;
    esac
done
BUILD=${BUILD:-$ROOT/build/x64}

if ! command -v llvm-mca-16 > /dev/null; then
    if [ "$(id -u)" != 0 ]; then
        echo "model-loops: llvm-mca-16 missing; install Debian's llvm-16 package" >&2
        exit 1
    fi
    echo "model-loops: installing llvm-16 for llvm-mca-16" >&2
    apt-get update > /dev/null
    DEBIAN_FRONTEND=noninteractive apt-get install -y llvm-16 > /dev/null
fi

# kernels_object DIR: the object of the AVX kernels in the build tree DIR (not in a tree of
# another commit inside it).
kernels_object() {
    local found
    found=$(find "$1" -path "$1/against-*" -prune -o -path '*/zorb_render_Avx.dir/*' \
        -name 'Kernels256.cpp.o*' -print)
    if [ -z "$found" ] || [ "$(echo "$found" | wc -l)" != 1 ]; then
        echo "model-loops: no single object of render/avx/Kernels256.cpp in $1: ${found:-none}" >&2
        return 1
    fi
    echo "$found"
}

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    "$ROOT/scripts/build.sh" x64 "$BUILD" > /dev/null
fi
if ! cmake --build "$BUILD" -j "$(nproc)" --target zorb_render_Avx > "$BUILD/model-loops.log" 2>&1; then
    tail -n 30 "$BUILD/model-loops.log" >&2
    echo "model-loops: the AVX kernels do not build (whole log: $BUILD/model-loops.log)" >&2
    exit 1
fi
OURS=$(kernels_object "$BUILD")
THEIRS=()
if [ -n "$AGAINST" ]; then
    # shellcheck source=against-tree.sh
    . "$ROOT/scripts/against-tree.sh"
    zorb_against_tree "$ROOT" "$BUILD" "$AGAINST"
    zorb_against_build zorb_render_Avx
    THEIRS=("$(kernels_object "$ZORB_AGAINST_DIR/build")" "$ZORB_AGAINST_REV")
fi

ASM=$BUILD/model-loops
rm -rf "$ASM"
python3 "$ROOT/scripts/model-loops.py" --iterations "$ITERATIONS" --asm-dir "$ASM" "$OURS" "${THEIRS[@]}"
