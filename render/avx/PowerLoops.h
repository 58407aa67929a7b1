#pragma once

#include <cstddef>

// The loops of z^2 + c, z^3 + c and z^4 + c for three groups, written out for the 256-bit lanes:
// the escape test of EscapeGroup.h (SizeSquared, TallyTest) and the steps of Power2Formula,
// Power3Formula and Power4Formula (FormulaPolicies.h), which stay the reference.
// Three groups' orbits, tallies and last values take twelve registers and leave four for the
// step's values: the compiler's own allocation spills the tallies and puts a store and a reload
// on their chain. Each line does what the lane operations of one group's Test and Iterate do,
// with their operand order (a op b is "vop b, a"), so every value rounds alike; a product by
// two is the sum of the value with itself, which rounds alike too.
//
// Every instruction here is at most three micro-operations on the processors these builds meet
// (the blends: one on some, three on others). Masked stores (vmaskmov) are not: some processors
// run a 256-bit masked store as microcode, dozens of micro-operations, and one such store a step
// cost more than the whole step there. The loops are the ones that model best on both processor
// families; check a change with scripts/model-loops.sh on every model it prints.
//
// S is the instruction suffix ("ps" or "pd"). X, Y, LAST, TALLY name the group's operands; C is
// its points' offset in the points block; EXIT the label taken when its test fails. The
// constants block is the lane's kLoopConstants: bound, sign mask, one, magnitude mask, four and
// six, 32 bytes each, at the offsets below; each lane checks its block against them.

#define ZORB_LOOP_STR2(x) #x
#define ZORB_LOOP_STR(x) ZORB_LOOP_STR2(x)
// Byte offsets in the constants block.
#define ZORB_LOOP_BOUND 0
#define ZORB_LOOP_SIGN 32
#define ZORB_LOOP_ONE 64
#define ZORB_LOOP_MAGNITUDE 96
#define ZORB_LOOP_FOUR 128
#define ZORB_LOOP_SIX 160
// The points block: each group's cRe and cIm, one 256-bit vector each, groups a, b and c in turn.
#define ZORB_LOOP_POINTS_A 0
#define ZORB_LOOP_POINTS_B 64
#define ZORB_LOOP_POINTS_C 128
#define ZORB_LOOP_POINT_IM 32
// What the three-group loop answers when it made all the steps it was given, rather than the
// group (0, 1, 2) whose test failed.
#define ZORB_LOOP_END_REACHED 3
#define ZORB_LOOP_AT(OFFSET, BASE) ZORB_LOOP_STR(OFFSET) "(%[" BASE "])"

// The escape test: |z|^2 into the last value where the previous test was inside, the tally
// counted (the lane's TallyInside), x^2 left in ymm12 and y^2 in ymm13. The z^2 + c loop holds
// the sign mask in ymm15 and takes x^2 - y^2 into ymm12 before the tally's operations, which
// leave it alone, so that three registers serve the step; the magnitude is then the sign mask's
// complement (vandn).
#define ZORB_LOOP_TEST(S, X, Y, LAST, TALLY, EXIT)                                                    \
    "vmul" S " %[" X "], %[" X "], %%ymm12\n\t"                                                      \
    "vmul" S " %[" Y "], %[" Y "], %%ymm13\n\t"                                                      \
    "vadd" S " %%ymm13, %%ymm12, %%ymm14\n\t"                                                        \
    "vblendv" S " %[" TALLY "], %%ymm14, %[" LAST "], %[" LAST "]\n\t"                               \
    "vcmp" S " $0x11, " ZORB_LOOP_AT(ZORB_LOOP_BOUND, "constants") ", %%ymm14, %%ymm14\n\t"          \
    "vor" S " " ZORB_LOOP_AT(ZORB_LOOP_SIGN, "constants") ", %[" TALLY "], %%ymm15\n\t"              \
    "vsub" S " " ZORB_LOOP_AT(ZORB_LOOP_ONE, "constants") ", %%ymm15, %%ymm15\n\t"                   \
    "vand" S " " ZORB_LOOP_AT(ZORB_LOOP_MAGNITUDE, "constants") ", %[" TALLY "], %[" TALLY "]\n\t"   \
    "vblendv" S " %%ymm14, %%ymm15, %[" TALLY "], %[" TALLY "]\n\t"                                  \
    "vtest" S " %%ymm14, %%ymm14\n\t"                                                                \
    "jz " EXIT "\n\t"

#define ZORB_SQUARE_PROLOGUE "vmovups " ZORB_LOOP_AT(ZORB_LOOP_SIGN, "constants") ", %%ymm15\n\t"
#define ZORB_SQUARE_STEP(S, X, Y, LAST, TALLY, C, EXIT)                                               \
    "vmul" S " %[" X "], %[" X "], %%ymm12\n\t"                                                      \
    "vmul" S " %[" Y "], %[" Y "], %%ymm13\n\t"                                                      \
    "vadd" S " %%ymm13, %%ymm12, %%ymm14\n\t"                                                        \
    "vsub" S " %%ymm13, %%ymm12, %%ymm12\n\t"                                                        \
    "vblendv" S " %[" TALLY "], %%ymm14, %[" LAST "], %[" LAST "]\n\t"                               \
    "vcmp" S " $0x11, " ZORB_LOOP_AT(ZORB_LOOP_BOUND, "constants") ", %%ymm14, %%ymm14\n\t"          \
    "vor" S " %%ymm15, %[" TALLY "], %%ymm13\n\t"                                                    \
    "vsub" S " " ZORB_LOOP_AT(ZORB_LOOP_ONE, "constants") ", %%ymm13, %%ymm13\n\t"                   \
    "vandn" S " %[" TALLY "], %%ymm15, %[" TALLY "]\n\t"                                             \
    "vblendv" S " %%ymm14, %%ymm13, %[" TALLY "], %[" TALLY "]\n\t"                                  \
    "vtest" S " %%ymm14, %%ymm14\n\t"                                                                \
    "jz " EXIT "\n\t"                                                                                \
    "vadd" S " %[" X "], %[" X "], %%ymm13\n\t"                                                      \
    "vadd" S " " ZORB_LOOP_AT(C, "points") ", %%ymm12, %[" X "]\n\t"                                 \
    "vmul" S " %[" Y "], %%ymm13, %%ymm13\n\t"                                                       \
    "vadd" S " " ZORB_LOOP_AT(C + ZORB_LOOP_POINT_IM, "points") ", %%ymm13, %[" Y "]\n\t"

// ((x^2 - y^2) x - (2x) y^2) + cRe and ((2 x^2 + (x^2 - y^2)) y) + cIm.
#define ZORB_CUBE_PROLOGUE ""
#define ZORB_CUBE_STEP(S, X, Y, LAST, TALLY, C, EXIT)                                                 \
    ZORB_LOOP_TEST(S, X, Y, LAST, TALLY, EXIT)                                                       \
    "vsub" S " %%ymm13, %%ymm12, %%ymm14\n\t"                                                        \
    "vadd" S " %[" X "], %[" X "], %%ymm15\n\t"                                                      \
    "vmul" S " %%ymm13, %%ymm15, %%ymm15\n\t"                                                        \
    "vmul" S " %[" X "], %%ymm14, %%ymm13\n\t"                                                       \
    "vsub" S " %%ymm15, %%ymm13, %%ymm13\n\t"                                                        \
    "vadd" S " " ZORB_LOOP_AT(C, "points") ", %%ymm13, %[" X "]\n\t"                                             \
    "vadd" S " %%ymm12, %%ymm12, %%ymm15\n\t"                                                        \
    "vadd" S " %%ymm14, %%ymm15, %%ymm15\n\t"                                                        \
    "vmul" S " %[" Y "], %%ymm15, %%ymm15\n\t"                                                       \
    "vadd" S " " ZORB_LOOP_AT(C + ZORB_LOOP_POINT_IM, "points") ", %%ymm15, %[" Y "]\n\t"

// ((y^4 + x^4) - (6 x^2) y^2) + cRe and (((4x) y) (x^2 - y^2)) + cIm.
#define ZORB_FOURTH_PROLOGUE ""
#define ZORB_FOURTH_STEP(S, X, Y, LAST, TALLY, C, EXIT)                                               \
    ZORB_LOOP_TEST(S, X, Y, LAST, TALLY, EXIT)                                                       \
    "vmul" S " %%ymm13, %%ymm13, %%ymm14\n\t"                                                        \
    "vmul" S " %%ymm12, %%ymm12, %%ymm15\n\t"                                                        \
    "vadd" S " %%ymm15, %%ymm14, %%ymm14\n\t"                                                        \
    "vmul" S " " ZORB_LOOP_AT(ZORB_LOOP_SIX, "constants") ", %%ymm12, %%ymm15\n\t"                                              \
    "vmul" S " %%ymm13, %%ymm15, %%ymm15\n\t"                                                        \
    "vsub" S " %%ymm15, %%ymm14, %%ymm14\n\t"                                                        \
    "vmovups " ZORB_LOOP_AT(ZORB_LOOP_FOUR, "constants") ", %%ymm15\n\t"                                                         \
    "vmul" S " %[" X "], %%ymm15, %%ymm15\n\t"                                                       \
    "vmul" S " %[" Y "], %%ymm15, %%ymm15\n\t"                                                       \
    "vsub" S " %%ymm13, %%ymm12, %%ymm13\n\t"                                                        \
    "vmul" S " %%ymm13, %%ymm15, %%ymm15\n\t"                                                        \
    "vadd" S " " ZORB_LOOP_AT(C, "points") ", %%ymm14, %[" X "]\n\t"                                             \
    "vadd" S " " ZORB_LOOP_AT(C + ZORB_LOOP_POINT_IM, "points") ", %%ymm15, %[" Y "]\n\t"

// Runs three groups' steps until one test fails or `end` steps are made. `which` becomes the
// group whose test failed (0, 1, 2) or ZORB_LOOP_END_REACHED at `end`; `made` the number of steps all three made
// (the groups before the failed one have made one more).
#define ZORB_LOOP_THREE(S, LANE, PROLOGUE, STEP)                                                      \
    __asm__("xor %k[made], %k[made]\n\t" PROLOGUE                                                    \
            ".p2align 4\n"                                                                           \
            "1:\n\t"                                                                                 \
            STEP(S, "xa", "ya", "lasta", "tallya", ZORB_LOOP_POINTS_A, "2f")                         \
            STEP(S, "xb", "yb", "lastb", "tallyb", ZORB_LOOP_POINTS_B, "3f")                         \
            STEP(S, "xc", "yc", "lastc", "tallyc", ZORB_LOOP_POINTS_C, "4f")                         \
            "add $1, %[made]\n\t"                                                                    \
            "cmp %[end], %[made]\n\t"                                                                \
            "jne 1b\n\t"                                                                             \
            "mov $" ZORB_LOOP_STR(ZORB_LOOP_END_REACHED) ", %k[which]\n\t"                          \
            "jmp 5f\n"                                                                               \
            "2:\n\t"                                                                                 \
            "mov $0, %k[which]\n\t"                                                                  \
            "jmp 5f\n"                                                                               \
            "3:\n\t"                                                                                 \
            "mov $1, %k[which]\n\t"                                                                  \
            "jmp 5f\n"                                                                               \
            "4:\n\t"                                                                                 \
            "mov $2, %k[which]\n"                                                                    \
            "5:"                                                                                     \
            : [xa] "+x"(xa.value_), [ya] "+x"(ya.value_), [lasta] "+x"(lasta.value_),                \
              [tallya] "+x"(tallya.value_), [xb] "+x"(xb.value_), [yb] "+x"(yb.value_),              \
              [lastb] "+x"(lastb.value_), [tallyb] "+x"(tallyb.value_), [xc] "+x"(xc.value_),        \
              [yc] "+x"(yc.value_), [lastc] "+x"(lastc.value_), [tallyc] "+x"(tallyc.value_),        \
              [made] "=&r"(made), [which] "=&r"(which)                                               \
            : [points] "r"(points), [constants] "r"(&kLoopConstants), [end] "r"(end),                \
              "m"(*(const LANE(*)[6])points)                                                         \
            : "xmm12", "xmm13", "xmm14", "xmm15", "cc")

// The lane's member: the loop of z^kPower + c (2, 3 or 4) for three groups.
#define ZORB_POWER_LOOPS_THREE(S, LANE)                                                               \
    static constexpr int kLoopEndReached = ZORB_LOOP_END_REACHED;                                    \
    template <int kPower>                                                                            \
    __attribute__((always_inline)) static int PowerLoopThree(                                        \
        LANE& xa, LANE& ya, LANE& lasta, LANE& tallya, LANE& xb, LANE& yb, LANE& lastb, LANE& tallyb, \
        LANE& xc, LANE& yc, LANE& lastc, LANE& tallyc, const LANE* points, uint64_t end, uint64_t& steps) \
    {                                                                                                \
        static_assert(kPower >= 2 && kPower <= 4, "z^2, z^3 and z^4 only");                          \
        static_assert(offsetof(LoopConstants, tally.bound) == ZORB_LOOP_BOUND &&                     \
                          offsetof(LoopConstants, tally.sign) == ZORB_LOOP_SIGN &&                   \
                          offsetof(LoopConstants, tally.one) == ZORB_LOOP_ONE &&                     \
                          offsetof(LoopConstants, tally.abs) == ZORB_LOOP_MAGNITUDE &&               \
                          offsetof(LoopConstants, four) == ZORB_LOOP_FOUR &&                         \
                          offsetof(LoopConstants, six) == ZORB_LOOP_SIX,                             \
                      "the loops' constant offsets match the lane's block");                         \
        static_assert(sizeof(LANE) == ZORB_LOOP_POINT_IM && ZORB_LOOP_POINTS_A == 0 &&               \
                          ZORB_LOOP_POINTS_B == 2 * sizeof(LANE) && ZORB_LOOP_POINTS_C == 4 * sizeof(LANE), \
                      "the points block holds cRe, cIm of groups a, b, c in turn");                  \
        int which;                                                                                   \
        uint64_t made;                                                                               \
        if constexpr (kPower == 2) {                                                                 \
            ZORB_LOOP_THREE(S, LANE, ZORB_SQUARE_PROLOGUE, ZORB_SQUARE_STEP);                        \
        } else if constexpr (kPower == 3) {                                                          \
            ZORB_LOOP_THREE(S, LANE, ZORB_CUBE_PROLOGUE, ZORB_CUBE_STEP);                            \
        } else {                                                                                     \
            ZORB_LOOP_THREE(S, LANE, ZORB_FOURTH_PROLOGUE, ZORB_FOURTH_STEP);                        \
        }                                                                                            \
        steps = made;                                                                                \
        return which;                                                                                \
    }
