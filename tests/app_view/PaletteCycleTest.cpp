#include <gtest/gtest.h>

#include "app/palette/PaletteCycle.h"

namespace {

struct OffsetCase {
    int offset;
    int step;
    bool reverse;
    int length;
    int expected;
};

class CycleOffsets : public ::testing::TestWithParam<OffsetCase> {};

TEST_P(CycleOffsets, MoveByStepPlusOneAndWrap)
{
    const OffsetCase c = GetParam();
    EXPECT_EQ(NextCycleOffset(c.offset, c.step, c.reverse, c.length), c.expected)
        << c.offset << (c.reverse ? " - " : " + ") << c.step << " + 1 over " << c.length;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CycleOffsets,
    ::testing::Values(OffsetCase{0, 1, false, 256, 2},
                      OffsetCase{0, 0, false, 256, 1},
                      OffsetCase{255, 0, false, 256, 0},
                      OffsetCase{250, 64, false, 256, 59},
                      OffsetCase{0, 0, true, 256, 255},
                      OffsetCase{10, 1, true, 256, 8},
                      OffsetCase{3, 64, true, 256, 194},
                      OffsetCase{0, 0, true, 6, 5},
                      OffsetCase{5, 0, false, 6, 0},
                      OffsetCase{4, 64, false, 6, 3},
                      OffsetCase{2, 64, true, 6, 3}));

TEST(CycleOffsets, PsychadelicStaysInZeroToFive)
{
    EXPECT_EQ(CycleLength(PaletteId::Psychadelic), 6);
    for (int id = 0; id < kPaletteCount - 1; ++id) {
        EXPECT_EQ(CycleLength(static_cast<PaletteId>(id)), 256);
    }
    for (bool reverse : {false, true}) {
        for (int step = 0; step <= kCycleStepMax; ++step) {
            int offset = 0;
            for (int i = 0; i < 20; ++i) {
                offset = NextCycleOffset(offset, step, reverse, 6);
                ASSERT_GE(offset, 0);
                ASSERT_LE(offset, 5);
            }
        }
    }
}

TEST(CycleSpeed, FasterTakesTheDelayDownBeforeRaisingTheStep)
{
    const struct {
        int delay, step, delayAfter, stepAfter;
    } cases[] = {
        {0, 1, 0, 2},      // start values
        {0, 63, 0, 64},
        {0, 64, 0, 64},    // fastest: no change
        {30, 0, 20, 0},
        {10, 0, 0, 0},
        {10000, 0, 9990, 0},
    };
    for (const auto& c : cases) {
        int delay = c.delay;
        int step = c.step;
        SpeedUpCycle(&delay, &step);
        EXPECT_EQ(delay, c.delayAfter) << c.delay << "/" << c.step;
        EXPECT_EQ(step, c.stepAfter) << c.delay << "/" << c.step;
    }
}

TEST(CycleSpeed, SlowerTakesTheStepDownBeforeRaisingTheDelay)
{
    const struct {
        int delay, step, delayAfter, stepAfter;
    } cases[] = {
        {0, 1, 0, 0},      // start values
        {0, 64, 0, 63},
        {0, 0, 10, 0},
        {9990, 0, 10000, 0},
        {10000, 0, 10000, 0}, // slowest: no change
    };
    for (const auto& c : cases) {
        int delay = c.delay;
        int step = c.step;
        SlowDownCycle(&delay, &step);
        EXPECT_EQ(delay, c.delayAfter) << c.delay << "/" << c.step;
        EXPECT_EQ(step, c.stepAfter) << c.delay << "/" << c.step;
    }
}

TEST(CycleSpeed, OnlyOneOfDelayAndStepLeavesItsFastestValue)
{
    int delay = 0;
    int step = 1;
    for (int i = 0; i < 2000; ++i) {
        SlowDownCycle(&delay, &step);
        ASSERT_TRUE(delay == 0 || step == 0);
    }
    EXPECT_EQ(delay, kCycleDelayMax);
    for (int i = 0; i < 2000; ++i) {
        SpeedUpCycle(&delay, &step);
        ASSERT_TRUE(delay == 0 || step == 0);
        ASSERT_EQ(delay % kCycleDelayStep, 0);
    }
    EXPECT_EQ(delay, 0);
    EXPECT_EQ(step, kCycleStepMax);
}

} // namespace
