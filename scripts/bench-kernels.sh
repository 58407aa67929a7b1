#!/bin/bash
# Alternates the single-case kernel benchmark of two builds, so that their ratio is measured
# in one run on a machine whose load changes. Usage:
#   scripts/bench-kernels.sh OLD_BUILD_DIR NEW_BUILD_DIR ROUNDS VIEW LANE THREADS [VARIANT]
# Each round runs OLD then NEW once (three renders each, fastest kept); prints the rounds'
# times and the ratio of the medians of the rounds, by wall time and by CPU time (FIGURE=cpu;
# the steadier one for one thread on a loaded machine).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/wine-env.sh"
OLD=$1 NEW=$2 ROUNDS=$3 VIEW=$4 LANE=$5 THREADS=$6 VARIANT=${7:-Avx} FIGURE=${FIGURE:-min}
zorb_bench_prefix
old_ms=() new_ms=()
for _ in $(seq "$ROUNDS"); do
    o=$("$WINE64" "$OLD/bench/zorb_kernel_bench_$VARIANT.exe" "$VIEW" "$LANE" "$THREADS" 3)
    n=$("$WINE64" "$NEW/bench/zorb_kernel_bench_$VARIANT.exe" "$VIEW" "$LANE" "$THREADS" 3)
    old_ms+=("$(echo "$o" | sed -E "s/.* $FIGURE ([0-9.]+) ms.*/\1/")")
    new_ms+=("$(echo "$n" | sed -E "s/.* $FIGURE ([0-9.]+) ms.*/\1/")")
    [ "${o##*checksum }" = "${n##*checksum }" ] || echo "checksums differ: $o / $n"
done
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
mo=$(median "${old_ms[@]}") mn=$(median "${new_ms[@]}")
echo "$VARIANT $VIEW $FIGURE $LANE threads $THREADS: old ${old_ms[*]} | new ${new_ms[*]} | median old $mo ms new $mn ms ratio $(awk -v a="$mo" -v b="$mn" 'BEGIN{printf "%.2f", a/b}')x"
