#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "KernelTestSupport.h"
#include "ReferenceRender.h"

namespace {

// 37 columns cut every group width's last group; rows 4 to 40 cross rows 16 and 32.
constexpr int kColumns = 37;
constexpr int kRowStart = 3;
constexpr int kRowEnd = 40;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

const KernelCase kCases[] = {
    {"LambdaSet", 1, -0.5, 1.5, -1, 1, false, 0, 0, 60, true, kDefaultLambda},
    {"LambdaOtherConstant", 1, -0.5, 1.5, -1, 1, false, 0, 0, 60, false, {0.85, 0.6}},
    {"LambdaJulia", 1, -0.5, 1.5, -1, 1, true, 0.3, 0.2, 60, true, kDefaultLambda},
    {"Power2Set", 2, -2, 1, -1.3, 1.3, false, 0, 0, 80, false, kDefaultLambda},
    {"Power2CardioidAndBulb", 2, -0.8, -0.7, -0.05, 0.05, false, 0, 0, 200, true, kDefaultLambda},
    {"Power2Julia", 2, -1.6, 1.6, -1.2, 1.2, true, -0.8, 0.156, 100, true, kDefaultLambda},
    // A constant this large lets escaped lanes come back inside.
    {"Power2JuliaLargeConstant", 2, -2, 2, -2, 2, true, -2.1, 0.3, 30, true, kDefaultLambda},
    {"Power3Set", 3, -1.5, 1.5, -1.5, 1.5, false, 0, 0, 64, true, kDefaultLambda},
    {"Power3Julia", 3, -1.5, 1.5, -1.5, 1.5, true, 0.4, 0.1, 64, false, kDefaultLambda},
    {"Power4Set", 4, -1.3, 1.3, -1.3, 1.3, false, 0, 0, 64, false, kDefaultLambda},
    {"Power4Julia", 4, -1.3, 1.3, -1.3, 1.3, true, 0.5, 0.5, 64, true, kDefaultLambda},
    {"ExpSet", 5, -2, 4, -3, 3, false, 0, 0, 24, true, kDefaultLambda},
    {"ExpJulia", 5, -2, 4, -3, 3, true, 1, 1, 24, false, kDefaultLambda},
    {"LimitZero", 3, -1.5, 1.5, -1.5, 1.5, false, 0, 0, 0, true, kDefaultLambda},
    {"NaNView", 2, kNaN, 1, -1, 1, false, 0, 0, 50, true, kDefaultLambda},
};

Scene SceneOf(const KernelCase& c)
{
    return ::SceneOf(c, kColumns, kRowStart, kRowEnd);
}

ReferenceRender ReferenceFor(const LaneKind& kind, const Scene& scene, int formula, size_t stopAtPixel = 0)
{
    return kind.isFloat ? RenderReference<float>(scene, formula, kind.width, stopAtPixel)
                        : RenderReference<double>(scene, formula, kind.width, stopAtPixel);
}

void ExpectSameCalls(const CallCounts& expected, const CallCounts& actual)
{
    EXPECT_EQ(actual.getView, 1);
    EXPECT_EQ(actual.isJulia, 1);
    EXPECT_EQ(actual.juliaRe, expected.juliaRe);
    EXPECT_EQ(actual.juliaIm, expected.juliaIm);
    const double allowed = double(AllowedColourDifferences(size_t(kColumns) * (kRowEnd - kRowStart)));
    EXPECT_NEAR(actual.maxIterations, expected.maxIterations, allowed);
    EXPECT_NEAR(actual.linearColouring, expected.linearColouring, allowed);
}

class KernelReferenceTest : public LaneKindTest {};

// Every pixel, every StepProgress and their order: rows bottom up, groups left to right, the
// last group cut at colEnd, progress after rows 32 and 16.
TEST_P(KernelReferenceTest, EveryFormulaAndModeMatchesTheReference)
{
    const LaneKind& kind = GetParam();
    for (const KernelCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const LambdaScope lambda(c.lambda);
        const Scene scene = SceneOf(c);
        const ReferenceRender expected = ReferenceFor(kind, scene, c.formula);
        const KernelClient client = RunKernel(kind.Kernel(c.formula), scene);
        EXPECT_TRUE(SameEvents(expected.events, client.events));
        ExpectSameCalls(expected.calls, client.calls);
    }
}

// The table must exercise what it claims to: escapes, insides, shortcuts and come-backs.
TEST(KernelReferenceCases, CoverTheInterestingPaths)
{
    bool knownInside = false, cameBack = false, escaped = false, inside = false;
    for (const KernelCase& c : kCases) {
        const LambdaScope lambda(c.lambda);
        const ReferenceRender wide = RenderReference<float>(SceneOf(c), c.formula, 8);
        for (size_t i = 0; i < wide.pixels.size(); ++i) {
            knownInside = knownInside || wide.pixels[i].knownInside;
            cameBack = cameBack || wide.pixels[i].cameBack;
        }
        for (const KernelEvent& e : wide.events) {
            escaped = escaped || (!e.progress && e.index != 255);
            inside = inside || (!e.progress && e.index == 255);
        }
    }
    EXPECT_TRUE(knownInside);
    EXPECT_TRUE(cameBack);
    EXPECT_TRUE(escaped);
    EXPECT_TRUE(inside);
}

TEST_P(KernelReferenceTest, StopsAfterTheGroupInProgress)
{
    const LaneKind& kind = GetParam();
    const KernelCase& c = kCases[3];
    const Scene scene = SceneOf(c);
    // Mid-row; the very first pixel; the last pixel of row 32, after which no StepProgress
    // may follow.
    const size_t rowsBefore32 = kRowEnd - 32;
    for (size_t stopAt : {size_t(50), size_t(1), (rowsBefore32 + 1) * kColumns}) {
        SCOPED_TRACE("stop at pixel " + std::to_string(stopAt));
        const ReferenceRender expected = ReferenceFor(kind, scene, c.formula, stopAt);
        const KernelClient client = RunKernel(kind.Kernel(c.formula), scene, stopAt);
        EXPECT_TRUE(SameEvents(expected.events, client.events));
        ASSERT_FALSE(client.events.empty());
        EXPECT_FALSE(client.events.back().progress);
        // The group in progress is finished, and nothing after it is drawn.
        const size_t groupEnd = ((stopAt - 1) % kColumns) / kind.width * kind.width + kind.width;
        EXPECT_EQ(client.pixels, (stopAt - 1) / kColumns * kColumns + std::min<size_t>(groupEnd, kColumns));
    }
}

TEST_P(KernelReferenceTest, ClearFlagAtStartDrawsNothing)
{
    const LaneKind& kind = GetParam();
    const Scene scene = SceneOf(kCases[3]);
    KernelClient client(scene);
    const RenderBand band = BandOf(scene);
    const RunningFlagScope stopped(false);
    kind.Kernel(2)(&band, &client);
    EXPECT_TRUE(client.events.empty());
    EXPECT_EQ(client.calls.maxIterations, 0);
}

TEST_P(KernelReferenceTest, EmptyBands)
{
    const LaneKind& kind = GetParam();
    Scene noRows = SceneOf(kCases[3]);
    noRows.rowStart = noRows.rowEnd;
    const KernelClient rowless = RunKernel(kind.Kernel(2), noRows);
    EXPECT_TRUE(rowless.events.empty());
    EXPECT_EQ(rowless.calls.getView, 1);
    EXPECT_EQ(rowless.calls.isJulia, 1);

    // No columns: the rows are still walked and progress still reported.
    Scene noColumns = SceneOf(kCases[3]);
    noColumns.colEnd = 0;
    const KernelClient columnless = RunKernel(kind.Kernel(2), noColumns);
    ASSERT_EQ(columnless.events.size(), 2u);
    EXPECT_TRUE(columnless.events[0].progress);
    EXPECT_TRUE(columnless.events[1].progress);
    EXPECT_EQ(columnless.calls.maxIterations, 0);
}

// One-row bands, as the large-picture saver cuts them: progress only on rows 16, 32, ...
TEST_P(KernelReferenceTest, OneRowBandsReportProgressOnMultiplesOf16)
{
    const LaneKind& kind = GetParam();
    for (int row : {15, 16, 17, 48}) {
        SCOPED_TRACE("row " + std::to_string(row));
        Scene scene = SceneOf(kCases[7]);
        scene.rowStart = row - 1;
        scene.rowEnd = row;
        const KernelClient client = RunKernel(kind.Kernel(3), scene);
        ASSERT_EQ(client.pixels, size_t(kColumns));
        EXPECT_EQ(client.events.back().progress, row % 16 == 0);
        EXPECT_EQ(client.events.front().y, uint32_t(row));
    }
}

// A row far wider than a screen whose first groups stay inside to the limit while every group
// after them escapes at once: the groups behind the long ones finish long before them, more
// of them than any fixed store of finished groups holds, and must still be handed over in
// column order, each exactly once.
TEST_P(KernelReferenceTest, WideRowBehindALongGroupComesInColumnOrder)
{
    const LaneKind& kind = GetParam();
    // z -> z^2: columns 0 to 7 (x = -0.5 ... 0.9) stay inside, x = 1.1 and beyond escape.
    const KernelCase c = {"WideRow", 2, -0.5, 1199.5, -0.001, 0.001, true, 0, 0, 3000, true, kDefaultLambda};
    const int columns = 6000;
    const Scene scene = ::SceneOf(c, columns, 0, 2);
    const ReferenceRender expected = ReferenceFor(kind, scene, c.formula);
    const KernelClient client = RunKernel(kind.Kernel(c.formula), scene);
    EXPECT_TRUE(SameEvents(expected.events, client.events));
    EXPECT_EQ(client.pixels, size_t(columns) * 2);
    EXPECT_EQ(client.calls.maxIterations, expected.calls.maxIterations);
}

ZORB_INSTANTIATE_FOR_LANE_KINDS(KernelReferenceTest);

} // namespace
