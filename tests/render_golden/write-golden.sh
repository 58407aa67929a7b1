#!/bin/bash
# Writes the golden data of the render_golden tests from the x64 builds: the SSE2 build writes
# the scalar and 128-bit lanes, the AVX build the 256-bit lanes (on a processor with AVX), both
# the view arithmetic. Build first with scripts/build.sh x64; then review and commit data/.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
# shellcheck source=../../scripts/wine-env.sh
. "$ROOT/scripts/wine-env.sh"
zorb_prefix_64
TESTS=$ROOT/build/x64/tests
for V in Sse Avx; do
    "$WINE64" "$TESTS/render_golden_$V.exe" --write-golden "--golden-dir=$(winepath -w "$HERE/data" 2> /dev/null || echo "Z:$HERE/data")"
done
