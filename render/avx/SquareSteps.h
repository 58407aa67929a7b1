#pragma once

// The z^2 + c loop of three groups written out for the 256-bit lanes. Three groups' orbits,
// tallies and last values take twelve registers; three more hold the step's values and the
// last the sign mask. The compiler's own allocation spills the tallies and puts a store and a
// reload on their chain. Each line does what the lane operations of one group's Test and
// Iterate do, with their operand order (a op b is "vop b, a"), so every value rounds alike;
// x^2 - y^2 is formed before the tally's operations, which do not touch it, to free a register.
// The magnitude mask of the tally is the sign mask's complement (vandn).
//
// S is the instruction suffix ("ps" or "pd"). X, Y, LAST, TALLY name the group's operands;
// C is its points' offset in the points block; EXIT the label taken when its test fails. The
// constants block holds the bound, the sign mask and one, 32 bytes each.
#define ZORB_SQUARE_STEP(S, X, Y, LAST, TALLY, C, EXIT)                                                       \
    "vmul" S " %[" X "], %[" X "], %%ymm12\n\t"                                                              \
    "vmul" S " %[" Y "], %[" Y "], %%ymm13\n\t"                                                              \
    "vadd" S " %%ymm13, %%ymm12, %%ymm14\n\t"                                                                \
    "vsub" S " %%ymm13, %%ymm12, %%ymm12\n\t"                                                                \
    "vblendv" S " %[" TALLY "], %%ymm14, %[" LAST "], %[" LAST "]\n\t"                                       \
    "vcmp" S " $0x11, (%[constants]), %%ymm14, %%ymm14\n\t"                                                  \
    "vor" S " %%ymm15, %[" TALLY "], %%ymm13\n\t"                                                            \
    "vsub" S " 64(%[constants]), %%ymm13, %%ymm13\n\t"                                                       \
    "vandn" S " %[" TALLY "], %%ymm15, %[" TALLY "]\n\t"                                                     \
    "vblendv" S " %%ymm14, %%ymm13, %[" TALLY "], %[" TALLY "]\n\t"                                          \
    "vtest" S " %%ymm14, %%ymm14\n\t"                                                                        \
    "jz " EXIT "\n\t"                                                                                        \
    "vadd" S " %[" X "], %[" X "], %%ymm13\n\t"                                                              \
    "vadd" S " " #C "(%[points]), %%ymm12, %[" X "]\n\t"                                                     \
    "vmul" S " %[" Y "], %%ymm13, %%ymm13\n\t"                                                               \
    "vadd" S " " #C "+32(%[points]), %%ymm13, %[" Y "]\n\t"

// Runs the three groups' steps until one test fails or `end` steps are made. Returns the
// group whose test failed (0, 1, 2) or 3 at `end`; `steps` is the number of steps all three
// made (the groups before the failed one have made one more). LANE is the lane class.
#define ZORB_SQUARE_LOOP_THREE(S, LANE)                                                                      \
    __attribute__((always_inline)) static int SquareLoopThree(LANE& xa, LANE& ya, LANE& lasta, LANE& tallya, LANE& xb, LANE& yb,       \
                               LANE& lastb, LANE& tallyb, LANE& xc, LANE& yc, LANE& lastc, LANE& tallyc, \
                               const LANE* points, uint64_t end, uint64_t& steps)                            \
    {                                                                                                         \
        int which;                                                                                            \
        uint64_t made;                                                                                        \
        __asm__("xor %k[made], %k[made]\n\t"                                                                  \
                "vmovups 32(%[constants]), %%ymm15\n\t"                                                                  \
                ".p2align 4\n"                                                                                \
                "1:\n\t"                                                                                      \
                ZORB_SQUARE_STEP(S, "xa", "ya", "lasta", "tallya", 0, "2f")                                   \
                ZORB_SQUARE_STEP(S, "xb", "yb", "lastb", "tallyb", 64, "3f")                                  \
                ZORB_SQUARE_STEP(S, "xc", "yc", "lastc", "tallyc", 128, "4f")                                 \
                "add $1, %[made]\n\t"                                                                         \
                "cmp %[end], %[made]\n\t"                                                                     \
                "jne 1b\n\t"                                                                                  \
                "mov $3, %k[which]\n\t"                                                                       \
                "jmp 5f\n"                                                                                    \
                "2:\n\t"                                                                                      \
                "mov $0, %k[which]\n\t"                                                                       \
                "jmp 5f\n"                                                                                    \
                "3:\n\t"                                                                                      \
                "mov $1, %k[which]\n\t"                                                                       \
                "jmp 5f\n"                                                                                    \
                "4:\n\t"                                                                                      \
                "mov $2, %k[which]\n"                                                                         \
                "5:"                                                                                          \
                : [xa] "+x"(xa.value_), [ya] "+x"(ya.value_), [lasta] "+x"(lasta.value_), [tallya] "+x"(tallya.value_), [xb] "+x"(xb.value_),    \
                  [yb] "+x"(yb.value_), [lastb] "+x"(lastb.value_), [tallyb] "+x"(tallyb.value_), [xc] "+x"(xc.value_), [yc] "+x"(yc.value_),    \
                  [lastc] "+x"(lastc.value_), [tallyc] "+x"(tallyc.value_), [made] "=&r"(made), [which] "=&r"(which)        \
                : [points] "r"(points), [constants] "r"(&kTallyConstants), [end] "r"(end), "m"(*(const LANE(*)[6])points) \
                : "xmm12", "xmm13", "xmm14", "xmm15", "cc");                                                  \
        steps = made;                                                                                         \
        return which;                                                                                         \
    }
