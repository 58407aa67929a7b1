#!/usr/bin/env python3
"""The kernel loops of a compiled kernels object, modelled by llvm-mca.

  model-loops.py [--objdump PROG] [--mca PROG] [--iterations N] [--cpus a,b] [--asm-dir DIR]
                 OBJECT [REV_OBJECT REV_NAME]

A loop is a run of instructions that a conditional jump at its end takes back to its start,
holding no other jump into itself (its exits, the tests that end a group's run, only leave it)
and a vector compare: the escape test, one for each group the loop steps. So a three-group loop
holds three, and its modelled cycles an iteration over three are the cycles a group step.
Loops are named by the kernel they are in (formula, lane) and their groups, in address order
where a kernel has two of a kind. A local symbol zorb_loop_* (a label in a loop's assembly) is
read as a place in the kernel around it, not as a function of its own.
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile

CPUS = ["znver2", "znver3", "znver4", "alderlake", "sapphirerapids"]
KINDS = {1: "one-group", 2: "two-group", 3: "three-group"}
FORMULAS = {"Power2Formula": "z^2", "Power3Formula": "z^3", "Power4Formula": "z^4",
            "LambdaFormula": "lambda", "ExpFormula": "exp(z)"}

FUNCTION = re.compile(r"^[0-9a-f]+ <(.*)>:$")
MARKER = re.compile(r"^zorb_loop_")
INSTRUCTION = re.compile(r"^\s+([0-9a-f]+):\s+(\S+)\s*(.*)$")
TARGET = re.compile(r"^([0-9a-f]+)(?: <.*>)?$")
COMPARE = re.compile(r"^vcmp\w*p[sd]$")


def disassemble(objdump, path):
    """Each function's instructions: (address, mnemonic, operands), comments and relocations dropped."""
    listing = subprocess.run([objdump, "-d", "-C", "--no-show-raw-insn", path], check=True,
                             capture_output=True, text=True).stdout
    functions = []
    for line in listing.splitlines():
        head = FUNCTION.match(line)
        if head and not (MARKER.match(head.group(1)) and functions):
            functions.append((head.group(1), []))
            continue
        ins = INSTRUCTION.match(line)
        if ins and functions:
            operands = ins.group(3).split("#")[0].strip()
            functions[-1][1].append((int(ins.group(1), 16), ins.group(2), operands))
    return functions


def jump_target(mnemonic, operands):
    if not mnemonic.startswith("j"):
        return None
    target = TARGET.match(operands)
    return int(target.group(1), 16) if target else None


def kernel_name(function):
    """"z^2 Float8" for avx::RenderEscapeTime<avx::Power2Formula<avx::Float8Lane>, avx::Float8Lane>."""
    found = re.search(r"RenderEscapeTime<(?:\w+::)?(\w+)<(?:\w+::)?(\w+?)Lane>", function)
    if not found:
        return None
    return "%s %s" % (FORMULAS.get(found.group(1), found.group(1)), found.group(2))


def loops(functions):
    """(name, group steps, instructions) of every loop of every kernel."""
    found = []
    for function, instructions in functions:
        kernel = kernel_name(function)
        if not kernel:
            continue
        seen = {}
        for end, (address, mnemonic, operands) in enumerate(instructions):
            head = jump_target(mnemonic, operands)
            if head is None or head > address or mnemonic == "jmp":
                continue
            start = next(i for i, ins in enumerate(instructions) if ins[0] >= head)
            if instructions[start][0] != head:
                continue
            body = instructions[start:end + 1]
            # Straight through: every other jump in it leaves it.
            inner = [jump_target(m, o) for _, m, o in body[:-1]]
            if any(t is not None and head <= t <= address for t in inner):
                continue
            if any(m.startswith("call") for _, m, _ in body):
                continue
            steps = sum(1 for _, m, _ in body if COMPARE.match(m))
            if steps not in KINDS:
                continue
            kind = KINDS[steps]
            seen[kind] = seen.get(kind, 0) + 1
            name = "%s %s" % (kernel, kind) + ("" if seen[kind] == 1 else " #%d" % seen[kind])
            found.append((name, steps, body))
    return found


def assembly(body):
    """The loop as llvm-mca reads it: the back jump to its head and each exit to a label after it."""
    head = body[0][0]
    lines = [".Lhead:"]
    for address, mnemonic, operands in body:
        target = jump_target(mnemonic, operands)
        if target is not None:
            operands = ".Lhead" if target == head else ".Lexit"
        lines.append("\t%s %s" % (mnemonic, operands))
    lines.append(".Lexit:")
    return "\n".join(lines) + "\n"


def model(mca, cpu, iterations, source, length):
    """Cycles an iteration. llvm-mca runs the body as one straight line, every instruction of it
    every iteration (a jump is an instruction like another, its target not followed): checked by
    the count of instructions it ran."""
    report = subprocess.run([mca, "-mtriple=x86_64", "-mcpu=" + cpu, "-iterations=%d" % iterations, source],
                            capture_output=True, text=True)
    if report.returncode != 0:
        sys.exit("model-loops: llvm-mca failed on %s for %s:\n%s" % (source, cpu, report.stderr))
    ran = int(re.search(r"^Instructions:\s+(\d+)", report.stdout, re.M).group(1))
    if ran != length * iterations:
        sys.exit("model-loops: llvm-mca ran %d instructions of %s, not %d a time" % (ran, source, length))
    cycles = re.search(r"^Total Cycles:\s+(\d+)", report.stdout, re.M)
    return int(cycles.group(1)) / iterations


def modelled(args, path, label, asm_dir):
    figures = {}
    for name, steps, body in loops(disassemble(args.objdump, path)):
        source = os.path.join(asm_dir, "%s-%s.s" % (label, re.sub(r"[^\w]+", "_", name).strip("_")))
        with open(source, "w") as out:
            out.write(assembly(body))
        figures[name] = (steps, {cpu: model(args.mca, cpu, args.iterations, source, len(body)) / steps for cpu in args.cpus})
    return figures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", default="x86_64-w64-mingw32-objdump")
    parser.add_argument("--mca", default="llvm-mca-16")
    parser.add_argument("--iterations", type=int, default=1000)
    parser.add_argument("--cpus", default=",".join(CPUS))
    parser.add_argument("--asm-dir")
    parser.add_argument("object")
    parser.add_argument("rev_object", nargs="?")
    parser.add_argument("rev_name", nargs="?")
    args = parser.parse_args()
    args.cpus = args.cpus.split(",")

    asm_dir = args.asm_dir or tempfile.mkdtemp(prefix="model-loops.")
    os.makedirs(asm_dir, exist_ok=True)
    ours = modelled(args, args.object, "this", asm_dir)
    if not ours:
        sys.exit("model-loops: no kernel loop found in " + args.object)
    theirs = modelled(args, args.rev_object, args.rev_name, asm_dir) if args.rev_object else None

    print("llvm-mca cycles per group step (%d iterations of each loop; a three-group loop's iteration "
          "is three steps)" % args.iterations)
    names = list(ours) + [n for n in (theirs or {}) if n not in ours]
    width = max(len(n) for n in names) + 2
    if theirs is None:
        print("%-*s%5s" % (width, "loop", "steps") + "".join("%16s" % cpu for cpu in args.cpus))
        for name in names:
            steps, cycles = ours[name]
            print("%-*s%5d" % (width, name, steps) + "".join("%16.2f" % cycles[cpu] for cpu in args.cpus))
    else:
        rev = args.rev_name
        print("ratio: %s's cycles over this tree's (above 1.00: this tree's loop is faster)" % rev)
        print("%-*s%5s" % (width, "loop", "steps") + "".join(" | %-23s" % cpu for cpu in args.cpus))
        print("%-*s%5s" % (width, "", "") + "".join(" | %7s %7s %7s" % (rev[:7], "this", "ratio") for _ in args.cpus))
        for name in names:
            mine, other = ours.get(name), theirs.get(name)
            steps = (mine or other)[0]
            row = "%-*s%5d" % (width, name, steps)
            for cpu in args.cpus:
                a = other[1][cpu] if other else None
                b = mine[1][cpu] if mine else None
                cell = ["%7.2f" % v if v is not None else "%7s" % "-" for v in (a, b)]
                cell.append("%6.2fx" % (a / b) if a and b else "%7s" % "-")
                row += " | " + " ".join(cell)
            print(row)
    print("loops' assembly as modelled: " + asm_dir)


if __name__ == "__main__":
    main()
