# Sourced by bench.sh and model-loops.sh: commit REV's code built beside this tree's, in
# BUILD/against-REV (its source in src/, its build in build/), kept between runs.
# Functions only; nothing runs on sourcing.

# zorb_against_tree ROOT BUILD REV: lays out REV's source with this tree's bench/ and configures
# its build; sets ZORB_AGAINST_REV (REV's short hash) and ZORB_AGAINST_DIR.
zorb_against_tree() {
    local root=$1 build=$2 rev header
    rev=$(git -C "$root" rev-parse --short "$3^{commit}") || return 1
    ZORB_AGAINST_REV=$rev
    ZORB_AGAINST_DIR=$build/against-$rev
    local other=$ZORB_AGAINST_DIR
    if [ ! -f "$other/src/CMakeLists.txt" ]; then
        rm -rf "$other/src"
        mkdir -p "$other/src"
        git -C "$root" archive "$rev" | tar -x -C "$other/src"
    fi
    # The same benchmark program on both sides: only the code it measures differs. Headers the
    # benchmark includes that REV does not have yet (constants that later moved into a header of
    # their own) are taken from this tree.
    rm -rf "$other/src/bench"
    cp -a "$root/bench" "$other/src/bench"
    for header in $(sed -n 's/^#include "\(.*\.h\)"/\1/p' "$root"/bench/*.cpp "$root"/bench/*.h | sort -u); do
        if [ ! -f "$root/bench/$header" ] && [ ! -f "$other/src/$header" ] && [ -f "$root/$header" ]; then
            mkdir -p "$(dirname "$other/src/$header")"
            cp "$root/$header" "$other/src/$header"
        fi
    done
    if [ ! -f "$other/build/CMakeCache.txt" ]; then
        local generator=() deps=$root/build/deps/x64
        if command -v ninja > /dev/null; then generator=(-G Ninja); fi
        cmake -S "$other/src" -B "$other/build" "${generator[@]}" \
            -DCMAKE_TOOLCHAIN_FILE="$other/src/cmake/toolchain-x86_64-w64-mingw32.cmake" \
            -DCMAKE_BUILD_TYPE=Release \
            -DGTest_DIR="$deps/lib/cmake/GTest" \
            -Dlibjpeg-turbo_DIR="$deps/lib/cmake/libjpeg-turbo" > /dev/null
    fi
}

# zorb_against_build TARGET...: builds them in REV's tree; on failure shows the end of the log.
zorb_against_build() {
    if ! cmake --build "$ZORB_AGAINST_DIR/build" -j "$(nproc)" --target "$@" > "$ZORB_AGAINST_DIR/build.log" 2>&1; then
        tail -n 30 "$ZORB_AGAINST_DIR/build.log" >&2
        echo "$(basename "$0"): $* do not build against $ZORB_AGAINST_REV (whole log: $ZORB_AGAINST_DIR/build.log)" >&2
        return 1
    fi
}
