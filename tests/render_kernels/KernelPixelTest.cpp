#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "KernelTestSupport.h"

namespace {

constexpr double kStep = 1.0 / 1024; // exact, and small enough to keep a whole group near one point
constexpr int kAnyIndex = -1;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// One pixel, x = 0 and y = 1, standing for re + im*i (set mode) or starting z there (Julia).
struct PixelCase {
    const char* name;
    int formula;
    double re;
    double im;
    bool julia;
    double juliaRe;
    double juliaIm;
    uint64_t limit;
    bool linear;
    int index;          // kAnyIndex: not checked
    float smooth;       // checked to 1e-5 relative; NaN: must be NaN
    int limitQueries;   // GetMaxIterations calls: 0 when the known-inside test settles it
};

// Orbits worked out by hand.
const PixelCase kPixelCases[] = {
    // z^2 + c at c = 1: |z|^2 is 0, 1, then 4, which is not below 4: two tests inside.
    {"Power2EscapesAtThirdTest", 2, 1, 0, false, 0, 0, 100, true, 2, 4.0f, 1},
    {"Power2ProgressiveMapping", 2, 1, 0, false, 0, 0, 100, false, 5, 4.0f, 1},
    {"LimitZeroGivesIndexZero", 2, 1, 0, false, 0, 0, 0, true, 0, 0.0f, 1},
    {"LimitOneGivesInside", 2, 1, 0, false, 0, 0, 1, true, 255, 0.0f, 1},
    {"LimitTwoGivesInside", 2, 1, 0, false, 0, 0, 2, true, 255, 0.0f, 1},
    {"LeavingAtLastAllowedTestIsInside", 2, 1, 0, false, 0, 0, 3, true, 255, 0.0f, 1},
    {"LimitFourLetsItEscape", 2, 1, 0, false, 0, 0, 4, true, 2, 4.0f, 1},
    // A float kernel caps the limit at 2^32 - 1 rather than wrapping it to 0 or 1.
    {"LimitTwoToThe32", 2, 1, 0, false, 0, 0, 1ull << 32, true, 2, 4.0f, 1},
    {"LimitTwoToThe32PlusOne", 2, 1, 0, false, 0, 0, (1ull << 32) + 1, true, 2, 4.0f, 1},
    {"LimitLargest", 2, 1, 0, false, 0, 0, UINT64_MAX, true, 2, 4.0f, 1},
    // Known inside: no iteration and no GetMaxIterations.
    {"OriginKnownInside", 2, 0, 0, false, 0, 0, 100, true, 255, 0.0f, 0},
    {"BulbCentreKnownInside", 2, -1, 0, false, 0, 0, 100, true, 255, 0.0f, 0},
    {"BulbTestAtMinus076", 2, -0.76, 0, false, 0, 0, 100, true, 255, 0.0f, 0},
    {"CardioidTestAtMinus074", 2, -0.74, 0, false, 0, 0, 100, true, 255, 0.0f, 0},
    // (-0.75 + 1)^2 = 0.0625 is not below 0.0625, and the cardioid test is not tried.
    {"BulbTestIsStrict", 2, -0.75, 0, false, 0, 0, 100, true, 255, 0.0f, 1},
    {"CardioidEdgeIsIterated", 2, 0.25, 0.5, false, 0, 0, 100, true, 255, 0.0f, 1},
    // Julia mode never takes the shortcut, even with the pixel at 0.
    {"JuliaOriginIsIterated", 2, 0, 0, true, -0.1, 0.1, 100, true, 255, 0.0f, 1},
    {"JuliaStartOutsideRadius", 2, 3, 0, true, -0.8, 0.156, 100, true, 0, 9.0f, 1},
    {"JuliaStartOutsideLimitTwo", 2, 3, 0, true, -0.8, 0.156, 2, true, 0, 9.0f, 1},
    // 1 + i cubed is -2 + 2i (|z|^2 = 8); to the fourth power -4 (|z|^2 = 16).
    {"Power3Step", 3, 1, 1, true, 0, 0, 100, true, 1, 8.0f, 1},
    {"Power4Step", 4, 1, 1, true, 0, 0, 100, true, 1, 16.0f, 1},
    // 0 is a fixed point of lambda * (z - z^2).
    {"LambdaFixedPoint", 1, 0, 0, false, 0, 0, 100, true, 255, 0.0f, 1},
    {"LambdaStartOnRadius", 1, 2, 0, false, 0, 0, 100, true, 0, 4.0f, 1},
    // exp: 0 -> 1 -> e, |z|^2 = e^2 at the third test.
    {"ExpFromZero", 5, 0, 0, false, 0, 0, 100, true, 2, 7.389056f, 1},
    // Julia mode starts exp(z) at the constant, not the pixel: 0 -> 1 -> e as above.
    {"ExpJuliaStartsAtConstant", 5, 3, 3, true, 0, 0, 100, true, 2, 7.389056f, 1},
    // z = 0 passes the first test; then z = c = NaN fails the ordered test: escaped.
    {"NaNCountsAsEscaped", 2, kNaN, 0, false, 0, 0, 100, true, 1, std::numeric_limits<float>::quiet_NaN(), 1},
};

Scene PointScene(const PixelCase& c)
{
    // Pixel (0, 1) stands for (xMin, stepY - yMax).
    const KernelCase point = {c.name,  c.formula, c.re,     c.re + kStep, kStep - c.im - kStep, kStep - c.im,
                              c.julia, c.juliaRe, c.juliaIm, c.limit,     c.linear,             LambdaConstant};
    return SceneOf(point, 1, 0, 1);
}

class KernelPixelTest : public LaneKindTest {};

TEST_P(KernelPixelTest, HandWorkedPixels)
{
    const LaneKind& kind = GetParam();
    for (const PixelCase& c : kPixelCases) {
        SCOPED_TRACE(c.name);
        const KernelClient client = RunKernel(kind.Kernel(c.formula), PointScene(c));
        ASSERT_EQ(client.events.size(), 1u);
        const KernelEvent& pixel = client.events[0];
        EXPECT_FALSE(pixel.progress);
        EXPECT_EQ(pixel.x, 0u);
        EXPECT_EQ(pixel.y, 1u);
        if (c.index != kAnyIndex) {
            EXPECT_EQ(pixel.index, c.index);
        }
        if (std::isnan(c.smooth)) {
            EXPECT_TRUE(std::isnan(pixel.smooth));
        } else {
            EXPECT_NEAR(pixel.smooth, c.smooth, 1e-5 * c.smooth);
        }
        EXPECT_EQ(client.calls.linearColouring, pixel.index == 255 ? 0 : 1);
        EXPECT_EQ(client.calls.maxIterations, c.limitQueries);
        EXPECT_EQ(client.calls.getView, 1);
        EXPECT_EQ(client.calls.isJulia, 1);
        EXPECT_EQ(client.calls.juliaRe, c.julia ? 1 : 0);
        EXPECT_EQ(client.calls.juliaIm, c.julia ? 1 : 0);
    }
}

// Lambda 0.3 + 0.2i: the pixel at 2.85 + 0.55i is outside at the first two tests and inside from
// the third on, while its left neighbour at 1.85 + 0.55i keeps the group going. In a group the
// pixel is counted for the four tests it is inside before the limit of 6 steps ends the loop,
// and keeps the |z|^2 of its last test; alone it escapes at once.
TEST_P(KernelPixelTest, GroupedLaneThatComesBackIsCountedUpToTheLimit)
{
    const LaneKind& kind = GetParam();
    const LambdaScope lambda({0.3, 0.2});
    Scene scene;
    scene.view = MakeView(1.85, 3.85, -0.55, 0.45, 2, 1);
    scene.colEnd = 2;
    scene.rowStart = 0;
    scene.rowEnd = 1;
    scene.maxIterations = 6;
    const KernelClient client = RunKernel(kind.Kernel(1), scene);
    ASSERT_EQ(client.events.size(), 2u);
    const KernelEvent& pixel = client.events[1];
    ASSERT_EQ(pixel.x, 1u);
    if (kind.width == 1) {
        EXPECT_EQ(pixel.index, 0);
        EXPECT_NEAR(pixel.smooth, 2.85 * 2.85 + 0.55 * 0.55, 1e-5);
    } else {
        EXPECT_EQ(pixel.index, 4);
        EXPECT_GT(pixel.smooth, 0.0f);
        EXPECT_LT(pixel.smooth, 4.0f);
    }
}

// z^2 - 3 maps 1 to -2 and -2 back to 1, exactly in float and double. Started at 1 and -2, two
// neighbours of a group take turns inside the radius, so the group runs to the limit and each
// lane counts every other test: some twenty million tests, more than a float counts exactly,
// so a count kept in the element type has to be carried into the integer counters on the way.
// A scalar lane is alone: it leaves at its first test outside.
TEST_P(KernelPixelTest, LanesTakingTurnsInsideAreCountedExactlyOverMillionsOfSteps)
{
    const LaneKind& kind = GetParam();
    constexpr uint64_t kLimit = 5 * (uint64_t(1) << 23) + 3;
    Scene scene;
    // Julia mode starts pixel 0 at xMin = 1 and pixel 1 at 1 + stepX = -2, on the real axis.
    scene.view = MakeView(1.0, -5.0, 0.0, 1.0, 2, 1);
    scene.colEnd = 2;
    scene.rowStart = 0;
    scene.rowEnd = 1;
    scene.julia = true;
    scene.juliaRe = -3.0;
    scene.juliaIm = 0.0;
    scene.maxIterations = kLimit;
    const KernelClient client = RunKernel(kind.Kernel(2), scene);
    ASSERT_EQ(client.events.size(), 2u);
    // Tests run at steps 0 to kLimit - 1: pixel 0 is inside at the even ones, pixel 1 at the odd.
    const uint64_t counts[2] = {(kLimit + 1) / 2, kLimit / 2};
    for (int x = 0; x < 2; ++x) {
        SCOPED_TRACE(x);
        const KernelEvent& pixel = client.events[x];
        EXPECT_EQ(pixel.x, static_cast<uint32_t>(x));
        EXPECT_EQ(pixel.index, kind.width == 1 ? (x == 0 ? 1 : 0) : static_cast<int>(counts[x] % 255));
        EXPECT_EQ(pixel.smooth, 4.0f);
    }
}

// Julia mode with c = 0 from points inside the unit circle: every orbit falls to 0 and stays
// inside. Three groups of a row run side by side for more steps than a float counts exactly;
// each count must reach the limit, so every pixel comes out inside.
TEST_P(KernelPixelTest, GroupsSideBySideInsideForMillionsOfStepsStayInside)
{
    const LaneKind& kind = GetParam();
    constexpr uint64_t kLimit = (uint64_t(1) << 24) + 3;
    const int columns = 3 * kind.width;
    Scene scene;
    scene.view = MakeView(-0.5, 0.5, -0.5, 0.5, columns, 2);
    scene.colEnd = columns;
    scene.rowStart = 0;
    scene.rowEnd = 1;
    scene.julia = true;
    scene.maxIterations = kLimit;
    const KernelClient client = RunKernel(kind.Kernel(2), scene);
    ASSERT_EQ(client.events.size(), static_cast<size_t>(columns));
    for (int x = 0; x < columns; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(client.events[x].x, static_cast<uint32_t>(x));
        EXPECT_EQ(client.events[x].index, 255);
        EXPECT_EQ(client.events[x].smooth, 0.0f);
    }
}

ZORB_INSTANTIATE_FOR_LANE_KINDS(KernelPixelTest);

} // namespace
