#!/bin/bash
# Builds and runs every test under Wine on a private Xvfb display.
# Usage: scripts/test.sh [x64|x86|all]   (default: all)
set -uo pipefail

ARCHES=${1:-all}
[ "$ARCHES" = all ] && ARCHES="x64 x86"
ROOT=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=wine-env.sh
. "$ROOT/scripts/wine-env.sh"

# Under qemu a 32-bit Wine process takes about a minute to start, and raised exceptions
# (debug-text capture, some test skips) kill the emulated process, so the x86 run is cut down
# to the tests that show what differs on x86 (x87 arithmetic, 32-bit sizes) when emulated.
X86_EMULATED_TESTS=${ZORB_X86_EMULATED_TESTS:-'^(render_kernels_Scalar|render_golden_Scalar|updater_unit)$'}
X86_EMULATED_FILTER=${ZORB_X86_EMULATED_FILTER:-'-*KernelAgreementTest*'}

trap zorb_stop_all EXIT
zorb_start_display || exit 1
# Made before the first prefix, so that one prefix serves both arches.
case " $ARCHES " in *" x86 "*) zorb_enable_i386 || true ;; esac

# The limit for a test program that sets none of its own: such programs take seconds, so a hang
# ends well within CI's time. Emulated 32-bit processes start about a minute late.
TEST_LIMIT=300

passed=0; failed=0; status=0
run_ctest() {
    local arch=$1; shift
    local log=$ROOT/build/$arch/ctest.log
    (cd "$ROOT/build/$arch" && ctest --timeout "$TEST_LIMIT" --output-on-failure "$@") 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -1)
    if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
        failed=$((failed + BASH_REMATCH[1]))
        passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
    elif [ "$rc" != 0 ]; then
        failed=$((failed + 1))
    fi
    [ "$rc" = 0 ] || status=1
}

for arch in $ARCHES; do
    "$ROOT/scripts/build.sh" "$arch" || { echo "test: $arch build failed"; status=1; failed=$((failed + 1)); continue; }
    if [ "$arch" = x64 ]; then
        zorb_prefix_64
        zorb_start_wineserver
        run_ctest x64 -j 4
    else
        if ! zorb_enable_i386; then
            echo "test: this machine cannot run 32-bit programs; x86 programs built, not run"
            continue
        fi
        zorb_prefix_32
        zorb_start_wineserver
        if zorb_i386_emulated; then
            echo "test: 32-bit code runs emulated here; running the x86 tests $X86_EMULATED_TESTS"
            GTEST_FILTER=$X86_EMULATED_FILTER TEST_LIMIT=900 run_ctest x86 -j 4 -R "$X86_EMULATED_TESTS"
        else
            run_ctest x86 -j 4
        fi
    fi
done

echo "test: $passed passed, $failed failed"
exit $status
