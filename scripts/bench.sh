#!/bin/bash
# Builds and runs the render benchmark under Wine (x64).
#
#   scripts/bench.sh [BUILD_DIR]
#       every build variant's render benchmark, then the large picture straight to disk
#       against the same picture in memory (default BUILD_DIR: build/x64)
#   scripts/bench.sh --against REV [--rounds N] [--large] [BUILD_DIR]
#       this tree's code against commit REV's, side by side: REV's render and app code is
#       built with this tree's bench/ into BUILD_DIR/against-REV, then the two benchmarks run
#       in alternating rounds (one render per case per round, default 5 rounds), so that a
#       change in the machine's load touches both alike. Prints each case's median in both and
#       the speed-up (REV's time / this tree's), by wall and by CPU time, the cycles per group step
#       and whether the checksums agree. --large adds the large picture (default view).
#
# Timings want an otherwise idle machine; the figures are printed, nothing is asserted.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
AGAINST=
ROUNDS=5
LARGE=0
BUILD=
while [ $# -gt 0 ]; do
    case $1 in
        --against) AGAINST=$2; shift 2 ;;
        --rounds) ROUNDS=$2; shift 2 ;;
        --large) LARGE=1; shift ;;
        -*) echo "usage: bench.sh [--against REV [--rounds N] [--large]] [BUILD_DIR]" >&2; exit 2 ;;
        *) BUILD=$1; shift ;;
    esac
done
BUILD=${BUILD:-$ROOT/build/x64}
# shellcheck source=wine-env.sh
. "$ROOT/scripts/wine-env.sh"

BENCH_TARGETS=(zorb_bench_Avx zorb_bench_Sse zorb_bench_Scalar zorb_bench_large_Sse zorb_bench_large_Avx)

"$ROOT/scripts/build.sh" x64 "$BUILD" > /dev/null || cmake --build "$BUILD" -j "$(nproc)" \
    --target "${BENCH_TARGETS[@]}"
zorb_prefix_64

if [ -z "$AGAINST" ]; then
    for variant in Avx Sse Scalar; do
        program=$BUILD/bench/zorb_bench_$variant.exe
        if [ ! -f "$program" ]; then
            echo "bench: $program missing" >&2
            exit 1
        fi
        echo "== $variant build"
        "$WINE64" "$program"
    done
    # The large picture straight to disk against the same picture in memory.
    for variant in Avx Sse; do
        large=$BUILD/bench/zorb_bench_large_$variant.exe
        if [ -f "$large" ]; then
            echo "== large picture, $variant build"
            "$WINE64" "$large"
        fi
    done
    exit 0
fi

# ---- Side by side with another commit ----
REV=$(git -C "$ROOT" rev-parse --short "$AGAINST^{commit}")
OTHER=$BUILD/against-$REV
if [ ! -f "$OTHER/src/CMakeLists.txt" ]; then
    rm -rf "$OTHER/src"
    mkdir -p "$OTHER/src"
    git -C "$ROOT" archive "$REV" | tar -x -C "$OTHER/src"
fi
# The same benchmark program on both sides: only the code it measures differs. Headers the
# benchmark includes that REV does not have yet (constants that later moved into a header of
# their own) are taken from this tree.
rm -rf "$OTHER/src/bench"
cp -a "$ROOT/bench" "$OTHER/src/bench"
for header in $(sed -n 's/^#include "\(.*\.h\)"/\1/p' "$ROOT"/bench/*.cpp "$ROOT"/bench/*.h | sort -u); do
    if [ ! -f "$ROOT/bench/$header" ] && [ ! -f "$OTHER/src/$header" ] && [ -f "$ROOT/$header" ]; then
        mkdir -p "$(dirname "$OTHER/src/$header")"
        cp "$ROOT/$header" "$OTHER/src/$header"
    fi
done
if [ ! -f "$OTHER/build/CMakeCache.txt" ]; then
    GENERATOR=()
    if command -v ninja > /dev/null; then GENERATOR=(-G Ninja); fi
    DEPS=$ROOT/build/deps/x64
    cmake -S "$OTHER/src" -B "$OTHER/build" "${GENERATOR[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$OTHER/src/cmake/toolchain-x86_64-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release \
        -DGTest_DIR="$DEPS/lib/cmake/GTest" \
        -Dlibjpeg-turbo_DIR="$DEPS/lib/cmake/libjpeg-turbo" > /dev/null
fi
if ! cmake --build "$OTHER/build" -j "$(nproc)" --target zorb_bench_Avx zorb_bench_large_Avx > "$OTHER/build.log" 2>&1; then
    tail -n 30 "$OTHER/build.log" >&2
    echo "bench: the benchmark does not build against $REV (whole log: $OTHER/build.log)" >&2
    exit 1
fi

OURS=$BUILD/bench
THEIRS=$OTHER/build/bench
RESULTS=$(mktemp)
trap 'rm -f "$RESULTS"' EXIT
for round in $(seq 1 "$ROUNDS"); do
    echo "bench: round $round of $ROUNDS" >&2
    # Alternate which side goes first, so neither always meets the other's after-effects.
    if [ $((round % 2)) = 1 ]; then order="ours theirs"; else order="theirs ours"; fi
    for side in $order; do
        if [ "$side" = ours ]; then dir=$OURS; else dir=$THEIRS; fi
        "$WINE64" "$dir/zorb_bench_Avx.exe" --runs 1 --raw | sed "s/^case /$side /" >> "$RESULTS"
        if [ "$LARGE" = 1 ]; then
            "$WINE64" "$dir/zorb_bench_large_Avx.exe" --runs 1 --raw --case default | sed "s/^case /$side /" >> "$RESULTS"
        fi
    done
done

python3 - "$RESULTS" "$REV" << 'EOF'
import statistics
import sys

wall = {}
cpu = {}
cycles = {}
checksums = {}
order = []
for line in open(sys.argv[1]):
    parts = line.split()
    if len(parts) < 3 or parts[0] not in ("ours", "theirs"):
        continue
    side, name = parts[0], parts[1]
    if name not in order:
        order.append(name)
    wall.setdefault((side, name), []).append(float(parts[2]))
    if len(parts) > 3:
        cpu.setdefault((side, name), []).append(float(parts[3]))
    if len(parts) > 4:
        checksums.setdefault((side, name), set()).add(parts[4])
    if len(parts) > 5:
        cycles.setdefault((side, name), []).append(float(parts[5]))

def median(values):
    return statistics.median(values) if values else float("nan")

def figure(values, width):
    return "%*.1f" % (width, median(values)) if values else "%*s" % (width, "-")

def ratio(a, b):
    return "%8.2fx" % (a / b) if a == a and b == b and b else "%9s" % "-"

def cycle_figure(side, name):
    values = cycles.get((side, name))
    return "%8.2f" % median(values) if values else "%8s" % "-"

rev = sys.argv[2]
print("%-40s %10s %10s %9s %10s %10s %9s %8s %8s %9s" % ("case (median of rounds)", rev + " ms", "this ms", "speed-up",
                                                         rev + " CPU", "this CPU", "CPU ratio", "cyc/step", "cyc/step",
                                                         "checksum"))
print("%-40s %10s %10s %9s %10s %10s %9s %8s %8s" % ("", "", "", "", "", "", "", rev, "this"))
for name in order:
    theirs = median(wall.get(("theirs", name), []))
    ours = median(wall.get(("ours", name), []))
    sums = (checksums.get(("theirs", name)), checksums.get(("ours", name)))
    same = "-" if None in sums else ("same" if sums[0] == sums[1] and len(sums[0]) == 1 else "DIFFERS")
    print("%-40s %10.1f %10.1f %9s %s %s %s %s %s %9s" % (
        name, theirs, ours, ratio(theirs, ours),
        figure(cpu.get(("theirs", name), []), 10), figure(cpu.get(("ours", name), []), 10),
        ratio(median(cpu.get(("theirs", name), [])), median(cpu.get(("ours", name), []))),
        cycle_figure("theirs", name), cycle_figure("ours", name), same))
EOF
