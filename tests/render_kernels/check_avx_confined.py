#!/usr/bin/env python3
"""Fails when code outside namespace avx uses an AVX instruction.

The AVX build must be able to run its start-up check, and refuse the processor, on a machine
without AVX; and the scalar kernels must never pick up an AVX copy of a shared inline function.
Usage: check_avx_confined.py OBJDUMP FILE... (static libraries or programs; missing files are
skipped). At least one file must show AVX code inside namespace avx, so that the check cannot
pass by seeing nothing.
"""
import os
import re
import subprocess
import sys

FUNCTION = re.compile(r'^[0-9a-f]+ <(.*)>:$')
INSTRUCTION = re.compile(r'^\s+[0-9a-f]+:\s+(\S+)\s*(.*)$')
# VEX-encoded forms all start with "v"; the few other mnemonics that do are system instructions.
NOT_VEX = {'verr', 'verw', 'vmcall', 'vmlaunch', 'vmresume', 'vmxoff', 'vmxon', 'vmread',
           'vmwrite', 'vmptrld', 'vmptrst', 'vmclear', 'vmfunc', 'vmrun', 'vmload', 'vmsave',
           'vmmcall'}
IN_AVX_NAMESPACE = re.compile(r'(^|[\s(<,*&])avx::')
# The JPEG library's AVX2 routines run only after its own processor check.
JPEG_LIBRARY_AVX2 = re.compile(r'^jsimd_\w+_avx2(\.|$)')


def is_avx(mnemonic, operands):
    return '%ymm' in operands or (mnemonic.startswith('v') and mnemonic not in NOT_VEX)


def main():
    objdump, files = sys.argv[1], [f for f in sys.argv[2:] if os.path.exists(f)]
    if not files:
        print('no file to check')
        return 1
    faults = []
    confined = 0
    for path in files:
        listing = subprocess.run([objdump, '-d', '-C', '--no-show-raw-insn', path],
                                 check=True, capture_output=True, text=True).stdout
        function = '?'
        for line in listing.splitlines():
            match = FUNCTION.match(line)
            if match:
                function = match.group(1)
                continue
            match = INSTRUCTION.match(line)
            if not match or not is_avx(match.group(1), match.group(2)):
                continue
            if IN_AVX_NAMESPACE.search(function):
                confined += 1
            elif JPEG_LIBRARY_AVX2.match(function):
                continue
            else:
                faults.append('%s: %s: %s' % (os.path.basename(path), function, line.strip()))
    for fault in faults[:50]:
        print(fault)
    if faults:
        print('%d AVX instructions outside namespace avx' % len(faults))
        return 1
    if confined == 0:
        print('no AVX instruction found at all: the 256-bit kernels are missing')
        return 1
    print('%d AVX instructions, all inside namespace avx' % confined)
    return 0


if __name__ == '__main__':
    sys.exit(main())
