# Sourced by the test and run scripts: a project-local Wine prefix, an X display and a
# persistent wineserver. Functions only; nothing runs on sourcing.

ZORB_ROOT=${ZORB_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$ZORB_ROOT/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# The 64-bit loader, named directly: /usr/bin/wine prefers the 32-bit one whenever wine32 is
# installed. Child processes of 32-bit programs still find the 32-bit loader beside it.
export WINELOADER=/usr/lib/wine/wine64
WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine

# Some kernels are built without 32-bit Linux binaries; wine32's loader then runs through
# qemu's user-mode emulator, registered for i386 programs with binfmt_misc. Root only.
zorb_can_run_i386() {
    "$WINE32" --version > /dev/null 2>&1
}

zorb_enable_i386() {
    zorb_can_run_i386 && return 0
    [ -x /usr/bin/qemu-i386-static ] || return 1
    [ "$(id -u)" = 0 ] || return 1
    if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2> /dev/null || return 1
    fi
    if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            > /proc/sys/fs/binfmt_misc/register 2> /dev/null || return 1
    fi
    zorb_can_run_i386
}

# True when i386 code runs only emulated (slow: about a minute per Wine process).
zorb_i386_emulated() {
    [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && grep -q enabled /proc/sys/fs/binfmt_misc/qemu-i386
}

zorb_prefix_64() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine-env: creating Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        timeout 300 "$WINE64" wineboot -i > /dev/null 2>&1 || true
        wineserver -w || true
        # No window manager: without this every window hide or destroy waits two seconds.
        "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f > /dev/null 2>&1
        wineserver -w || true
    fi
}

# x86 programs need the prefix's 32-bit half (syswow64). wineboot makes it only when the
# prefix is created while 32-bit code can run, and an update does not add it later, so a
# prefix without it is made again.
zorb_prefix_32() {
    zorb_prefix_64
    if [ -z "$(ls -A "$WINEPREFIX/drive_c/windows/syswow64" 2> /dev/null)" ]; then
        echo "wine-env: making the Wine prefix again with its 32-bit half (slow when emulated)"
        wineserver -k 2> /dev/null || true
        wineserver -w 2> /dev/null || true
        rm -rf "$WINEPREFIX"
        zorb_prefix_64
    fi
}

# The benchmarks' own prefix and server. On the tests' prefix, each start and end of
# scripts/test.sh or run.sh ends the server (wineserver -k), and with it every benchmark process
# attached to it; one that is just connecting stops with "wine client error:0: recvmsg:
# Connection reset by peer". The server stays a minute after the last process, so that the
# benchmark's processes, run one after another, do not each meet a server shutting down.
zorb_bench_prefix() {
    export WINEPREFIX=${ZORB_BENCH_WINEPREFIX:-$ZORB_ROOT/build/wineprefix-bench}
    zorb_prefix_64
    zorb_bench_server
}

# Again after a run that failed, whose server may be gone.
zorb_bench_server() {
    # Status 2 when one is running already: that one serves.
    wineserver -p60 2> /dev/null || true
}

ZORB_XVFB_PID=""
# Xvfb picks a free display number itself (-displayfd) and tells it once it listens: runs
# started at the same moment each get their own display, where checking for a free number and
# then starting a server on it left a gap in which two runs could choose the same one.
zorb_start_display() {
    local numberFile n=""
    numberFile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$numberFile" > /dev/null 2>&1 &
    ZORB_XVFB_PID=$!
    for _ in $(seq 600); do
        if read -r n < "$numberFile" && [ -n "$n" ]; then break; fi
        n=""
        kill -0 "$ZORB_XVFB_PID" 2> /dev/null || break
        sleep 0.1
    done
    rm -f "$numberFile"
    if [ -z "$n" ]; then
        echo "wine-env: Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=:$n
}

zorb_start_wineserver() {
    wineserver -k 2> /dev/null || true
    wineserver -w 2> /dev/null || true
    wineserver -p
    # A warm prefix: the first process after a fresh server start is slow and has hung ctest -j.
    timeout 120 "$WINE64" cmd /c exit > /dev/null 2>&1 || true
}

zorb_stop_all() {
    wineserver -k 2> /dev/null || true
    if [ -n "$ZORB_XVFB_PID" ]; then
        kill "$ZORB_XVFB_PID" 2> /dev/null || true
        wait "$ZORB_XVFB_PID" 2> /dev/null || true
        ZORB_XVFB_PID=""
    fi
}
