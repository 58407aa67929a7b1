#!/bin/bash
# Builds and runs the render benchmark of every build variant (x64) under Wine.
# Usage: scripts/bench.sh [BUILD_DIR]   (default: build/x64)
# Timings want an otherwise idle machine; the figures are printed, nothing is asserted.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build/x64}
# shellcheck source=wine-env.sh
. "$ROOT/scripts/wine-env.sh"

"$ROOT/scripts/build.sh" x64 "$BUILD" > /dev/null || cmake --build "$BUILD" -j "$(nproc)" \
    --target zorb_bench_Avx zorb_bench_Sse zorb_bench_Scalar
zorb_prefix_64

for variant in Avx Sse Scalar; do
    program=$BUILD/bench/zorb_bench_$variant.exe
    if [ ! -f "$program" ]; then
        echo "bench: $program missing" >&2
        exit 1
    fi
    echo "== $variant build"
    "$WINE64" "$program"
done

# The large picture straight to disk against the same picture in memory (the SSE2 build).
large=$BUILD/bench/zorb_bench_large_Sse.exe
if [ -f "$large" ]; then
    echo "== large picture, Sse build"
    "$WINE64" "$large"
fi
