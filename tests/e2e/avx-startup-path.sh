#!/bin/bash
# The AVX build must be able to turn a processor without AVX away: nothing that runs before its
# start-up decision (the entry, the probe, the decision and the hand-over to a narrower build)
# may hold an AVX instruction. Disassembles those functions of the program and looks for
# VEX-encoded ones.
# Usage: avx-startup-path.sh newZorb.exe OBJDUMP NM
set -u
EXE=$1 OBJDUMP=$2 NM=$3
status=0
required='WinMain|RunStartup|AvxStartupChoice|DetectSimdBits|ProbeSimd'
optional='LaunchFallbackBuild|ProgramFolder|FolderOfPath|ModulePath|RunMainWindow|HardwareQueries'
symbols=$("$NM" "$EXE" | awk '$2 ~ /^[Tt]$/ { print $3 }' | grep -E "($required|$optional)" | sort -u)
for name in WinMain RunStartup AvxStartupChoice DetectSimdBits ProbeSimd; do
    echo "$symbols" | grep -q "$name" || { echo "avx-startup-path: no function $name in $EXE"; status=1; }
done
for symbol in $symbols; do
    code=$("$OBJDUMP" -d --no-show-raw-insn --disassemble="$symbol" "$EXE")
    count=$(echo "$code" | grep -cE '^\s+[0-9a-f]+:')
    vex=$(echo "$code" | grep -E '%ymm|^\s+[0-9a-f]+:\s+v[a-z0-9]+\s' | head -3)
    if [ -n "$vex" ]; then
        echo "avx-startup-path: $symbol uses AVX:"; echo "$vex"; status=1
    else
        echo "avx-startup-path: $symbol: $count instructions, none AVX"
    fi
done
exit $status
