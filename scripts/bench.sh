#!/bin/bash
# Builds and runs the render benchmark under Wine (x64).
#
#   scripts/bench.sh [BUILD_DIR]
#       every build variant's render benchmark, then the large picture straight to disk
#       against the same picture in memory (default BUILD_DIR: build/x64)
#   scripts/bench.sh --against REV [--rounds N] [--large] [BUILD_DIR]
#       this tree's code against commit REV's, side by side: REV's render and app code is
#       built with this tree's bench/ into BUILD_DIR/against-REV, then the two trees' AVX and
#       SSE benchmarks run in alternating rounds (one render per case per round, default 5
#       rounds), so that a change in the machine's load touches both alike. Prints, for each
#       build, each case's median in both trees and the speed-up (REV's time / this tree's), by
#       wall and by CPU time, the cycles per group step and whether the checksums agree; then
#       this tree's AVX build against its SSE build on the cases both run in vector lanes.
#       --large adds the large picture (default view). A run that fails (its Wine server gone,
#       say) is reported and run again for the cases it did not finish, up to three times; one
#       that still fails leaves its round without them, and the tables show what was measured
#       (exit status 1 then).
#
# The benchmarks run in a Wine prefix of their own (build/wineprefix-bench), which the test and
# run scripts, that end their prefix's server when they start and stop, leave alone.
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
zorb_bench_prefix

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
# shellcheck source=against-tree.sh
. "$ROOT/scripts/against-tree.sh"
zorb_against_tree "$ROOT" "$BUILD" "$AGAINST"
REV=$ZORB_AGAINST_REV
AGAINST_TARGETS=(zorb_bench_Avx zorb_bench_Sse)
if [ "$LARGE" = 1 ]; then AGAINST_TARGETS+=(zorb_bench_large_Avx); fi
zorb_against_build "${AGAINST_TARGETS[@]}"

declare -A BENCH_DIR=([ours]=$BUILD/bench [theirs]=$ZORB_AGAINST_DIR/build/bench)
declare -A TREE=([ours]="this tree's" [theirs]="$REV's")
RESULTS=$(mktemp)
RUN_OUT=$(mktemp)
RUN_ERR=$(mktemp)
trap 'rm -f "$RESULTS" "$RUN_OUT" "$RUN_ERR"' EXIT
TRIES=3
GAVE_UP=0

# run_raw SIDE WHAT SKIPPABLE PROGRAM ARGS...: one --raw run of a benchmark, its case lines into
# $RESULTS under SIDE's name. A run that dies (say its Wine server went away) is reported and
# run again, up to TRIES times: for the cases it did not finish where the program can leave
# cases out (SKIPPABLE 1), else whole.
run_raw() {
    local side=$1 what=$2 skippable=$3 try rc reason finished
    shift 3
    local skip=()
    for try in $(seq "$TRIES"); do
        rc=0
        "$WINE64" "$@" "${skip[@]}" > "$RUN_OUT" 2> "$RUN_ERR" || rc=$?
        # Only whole lines (a run cut off in the middle of one leaves it without its end), and
        # without the carriage returns the program's C library writes.
        if [ -n "$(tail -c 1 "$RUN_OUT")" ]; then sed -i '$d' "$RUN_OUT"; fi
        sed -i 's/\r$//' "$RUN_OUT"
        finished=0
        if [ "$rc" = 0 ] && grep -qx end "$RUN_OUT"; then finished=1; fi
        if [ "$finished" = 1 ] || [ "$skippable" = 1 ]; then
            { grep '^case ' "$RUN_OUT" || true; } | sed "s/^case /$side /" >> "$RESULTS"
        fi
        if [ "$finished" = 1 ]; then return 0; fi
        reason=$(grep -m 1 'error' "$RUN_ERR" || tail -n 1 "$RUN_ERR")
        echo "bench: round $round, $what: the run failed (exit status $rc${reason:+: $reason}) after $(grep -c '^case ' "$RUN_OUT") case runs" >&2
        if [ "$skippable" = 1 ]; then
            for name in $(awk '$1 == "case" { print $2 }' "$RUN_OUT"); do skip+=(--skip "$name"); done
        fi
        if [ "$try" -lt "$TRIES" ]; then
            echo "bench: running it again (try $((try + 1)) of $TRIES)" >&2
            zorb_bench_server
        fi
    done
    echo "bench: round $round, $what: gave up after $TRIES tries; the table has what the other rounds measured" >&2
    GAVE_UP=$((GAVE_UP + 1))
}

for round in $(seq 1 "$ROUNDS"); do
    echo "bench: round $round of $ROUNDS" >&2
    # Alternate which side goes first, so neither always meets the other's after-effects.
    if [ $((round % 2)) = 1 ]; then order="ours theirs"; else order="theirs ours"; fi
    for variant in Avx Sse; do
        # The renders without a kernel are the same in both builds: the AVX build's stand for them.
        extra=()
        if [ "$variant" = Sse ]; then extra=(--no-floor); fi
        for side in $order; do
            run_raw "$side" "${TREE[$side]} $variant benchmark" 1 "${BENCH_DIR[$side]}/zorb_bench_$variant.exe" \
                --runs 1 --raw "${extra[@]}"
        done
    done
    if [ "$LARGE" = 1 ]; then
        for side in $order; do
            run_raw "$side" "${TREE[$side]} large picture" 0 "${BENCH_DIR[$side]}/zorb_bench_large_Avx.exe" \
                --runs 1 --raw --case default
        done
    fi
done

python3 - "$RESULTS" "$REV" "$ROUNDS" << 'EOF'
import re
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
rev, rounds = sys.argv[2], int(sys.argv[3])


def median(values):
    return statistics.median(values) if values else float("nan")


def figure(values, width):
    return "%*.1f" % (width, median(values)) if values else "%*s" % (width, "-")


def ratio(a, b):
    return "%8.2fx" % (a / b) if a == a and b == b and b else "%9s" % "-"


def cycle_figure(key):
    values = cycles.get(key)
    return "%8.2f" % median(values) if values else "%8s" % "-"


def table(title, a_name, b_name, rows, checksum):
    """rows: (label, key of a, key of b); the speed-up is a's time over b's."""
    print()
    print(title)
    print("%-40s %10s %10s %9s %10s %10s %9s %8s %8s %9s" % (
        "case (median of rounds)", a_name + " ms", b_name + " ms", "speed-up", a_name + " CPU", b_name + " CPU",
        "CPU ratio", "cyc/step", "cyc/step", "checksum" if checksum else ""))
    print("%-40s %10s %10s %9s %10s %10s %9s %8s %8s" % ("", "", "", "", "", "", "", a_name, b_name))
    for label, a, b in rows:
        same = ""
        if checksum:
            sums = (checksums.get(a), checksums.get(b))
            same = "-" if None in sums else ("same" if sums[0] == sums[1] and len(sums[0]) == 1 else "DIFFERS")
        print("%-40s %s %s %9s %s %s %s %s %s %9s" % (
            label, figure(wall.get(a, []), 10), figure(wall.get(b, []), 10),
            ratio(median(wall.get(a, [])), median(wall.get(b, []))),
            figure(cpu.get(a, []), 10), figure(cpu.get(b, []), 10),
            ratio(median(cpu.get(a, [])), median(cpu.get(b, []))),
            cycle_figure(a), cycle_figure(b), same))


for build in ("Avx", "Sse"):
    names = [n for n in order if n.startswith(build + "/") or (build == "Avx" and not re.match(r"(Avx|Sse)/", n))]
    if names:
        table("%s build: %s against this tree (speed-up: %s's time over this tree's)" % (build.upper(), rev, rev),
              rev, "this", [(n, ("theirs", n), ("ours", n)) for n in names], True)

# This tree's AVX build against its SSE build, on every case both run in vector lanes: the same
# view and thread count, twice the lanes a group.
pairs = []
for name in order:
    wide = re.match(r"Avx/(?:(Float8|Double4)Lane/)?([^/]+/t\d+)$", name)
    if not wide or wide.group(2).startswith("floor-"):
        continue
    lane = {"Float8": "Float4", "Double4": "Double2"}.get(wide.group(1))
    narrow = "Sse/%s%s" % (lane + "Lane/" if lane else "", wide.group(2))
    if ("ours", narrow) in wall:
        label = "%s %s" % (wide.group(2), "%s vs %s" % (wide.group(1), lane) if lane else "lanes as prepared")
        pairs.append((label, ("ours", narrow), ("ours", name)))
if pairs:
    table("This tree's AVX build against its SSE build (speed-up: the SSE build's time over the AVX build's)",
          "SSE", "AVX", pairs, False)

short = ["%s %s (%d of %d)" % ("this" if side == "ours" else rev, name, len(wall.get((side, name), [])), rounds)
         for side in ("theirs", "ours") for name in order if len(wall.get((side, name), [])) < rounds]
if short:
    print()
    print("measured in fewer rounds than asked: " + ", ".join(short))
EOF
if [ "$GAVE_UP" != 0 ]; then
    echo "bench: $GAVE_UP runs gave up (see above); the tables have what the other runs measured" >&2
    exit 1
fi
