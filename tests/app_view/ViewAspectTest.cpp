#include <cmath>
#include <utility>

#include <gtest/gtest.h>

#include "app/view/ViewAspect.h"
#include "app/view/ViewPresets.h"
#include "tests/support/BoundedView.h"

namespace {

TEST(DefaultView, HoldsTheSinglePrecisionConstantsWidened)
{
    View v{};
    v.stepX = 7.0;
    v.stepY = 8.0;
    v.SetDefault();
    EXPECT_EQ(v.xMin, -2.0);
    EXPECT_EQ(v.xMax, 1.0);
    EXPECT_EQ(v.yMax, 1.2999999523162842);
    EXPECT_EQ(v.yMin, -1.2999999523162842);
    EXPECT_EQ(v.spanX, 3.0);
    EXPECT_EQ(v.spanY, 2.5999999046325684);
    EXPECT_EQ(v.stepX, 7.0) << "the steps belong to the next render start";
    EXPECT_EQ(v.stepY, 8.0);
}

TEST(ViewRecord, UpdatesSpansAndSteps)
{
    View v = BoundedView(-1.0, 3.0, -1.0, 2.0);
    EXPECT_EQ(v.spanX, 4.0);
    EXPECT_EQ(v.spanY, 3.0);
    v.UpdateSteps(8, 6);
    EXPECT_EQ(v.stepX, 0.5);
    EXPECT_EQ(v.stepY, 0.5);
}

// The bounds come from adding one step per pixel to the centre, not from multiplying: the
// last bits show which.
TEST(FixViewAspect, DefaultViewOnALandscapeImageWidensTheRealAxisExactly)
{
    const View v = FixViewAspect(DefaultView(), 640, 480);
    EXPECT_EQ(v.xMin, -0x1.1ddddd555554dp+1);
    EXPECT_EQ(v.xMax, 0x1.3bbbbaaaaaaa5p+0);
    EXPECT_EQ(v.yMax, 0x1.4ccccbffffffap+0);
    EXPECT_EQ(v.yMin, -0x1.4ccccbffffffap+0);
    EXPECT_EQ(v.spanX, 0x1.bbbbbaaaaaaaap+1);
    EXPECT_EQ(v.spanY, 0x1.4ccccc0000000p+1);
    EXPECT_EQ(v.stepX, 0x1.62fc955555555p-8);
    EXPECT_EQ(v.stepY, 0x1.62fc955555555p-8);
}

TEST(FixViewAspect, DefaultViewOnAPortraitImageWidensTheImaginaryAxisExactly)
{
    const View v = FixViewAspect(DefaultView(), 400, 800);
    EXPECT_EQ(v.xMin, -0x1.000000000000bp+1);
    EXPECT_EQ(v.xMax, 0x1.fffffffffffeap-1);
    EXPECT_EQ(v.yMax, 0x1.7ffffffffffdcp+1);
    EXPECT_EQ(v.yMin, -0x1.7ffffffffffdcp+1);
    EXPECT_EQ(v.spanX, 3.0);
    EXPECT_EQ(v.spanY, 6.0);
    EXPECT_EQ(v.stepX, 0.0075);
    EXPECT_EQ(v.stepY, 0.0075);
}

TEST(FixViewAspect, EqualStepsRebuildTheRealAxisFromTheStoredSpans)
{
    // Stale spans: the bounds say 10 wide, the spans say 2. Equal steps take the real branch,
    // which rebuilds x about its centre from the stored imaginary step.
    View stale = BoundedView(0.0, 10.0, -1.0, 1.0);
    stale.spanX = 2.0;
    const View v = FixViewAspect(stale, 100, 100);
    EXPECT_NEAR(v.xMin, 4.0, 1e-12);
    EXPECT_NEAR(v.xMax, 6.0, 1e-12);
    EXPECT_NEAR(v.yMax, 1.0, 1e-12);
    EXPECT_NEAR(v.yMin, -1.0, 1e-12);
}

TEST(FixViewAspect, TurnsAnUpsideDownViewUprightAboutItsCentre)
{
    const View v = FixViewAspect(BoundedView(-1.0, 1.0, 1.5, -0.5), 200, 100);
    EXPECT_GT(v.yMax, v.yMin);
    EXPECT_DOUBLE_EQ((v.yMax + v.yMin) * 0.5, 0.5);
    EXPECT_DOUBLE_EQ(v.yMax - v.yMin, 1.0);
    EXPECT_DOUBLE_EQ(v.stepX, v.stepY);
}

struct AspectCase {
    int width;
    int height;
    double xMin, xMax, yMax, yMin;
};

class FixViewAspectSizes : public ::testing::TestWithParam<AspectCase> {};

// Even sizes: equal steps, the centre kept, bounds that match the spans. Odd sizes: the
// bounds cover one step less than the span on that axis.
TEST_P(FixViewAspectSizes, KeepsTheCentreAndNarrowsOddAxesByOneStep)
{
    const AspectCase c = GetParam();
    const View in = BoundedView(c.xMin, c.xMax, c.yMin, c.yMax);
    const View v = FixViewAspect(in, c.width, c.height);

    EXPECT_NEAR((v.xMin + v.xMax) * 0.5, (in.xMin + in.xMax) * 0.5, 1e-12);
    EXPECT_NEAR((v.yMin + v.yMax) * 0.5, (in.yMin + in.yMax) * 0.5, 1e-12);
    const double tolerance = 1e-9 * v.spanX;
    const double xLost = (c.width % 2) ? v.stepX : 0.0;
    const double yLost = (c.height % 2) ? v.stepY : 0.0;
    EXPECT_NEAR(v.xMax - v.xMin, v.spanX - xLost, tolerance);
    EXPECT_NEAR(v.yMax - v.yMin, v.spanY - yLost, tolerance);
    if (c.width % 2 == 0 && c.height % 2 == 0) {
        EXPECT_NEAR(v.stepX, v.stepY, 1e-15 * v.stepX);
    }
    // The axis with the larger step keeps its span; the other one is rebuilt from it.
    if (in.spanX / c.width > in.spanY / c.height) {
        EXPECT_EQ(v.spanX, in.spanX);
    } else {
        EXPECT_EQ(v.spanY, in.spanY);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FixViewAspectSizes,
                         ::testing::Values(AspectCase{640, 480, -2.0, 1.0, 1.3, -1.3},
                                           AspectCase{300, 900, -2.0, 1.0, 1.3, -1.3},
                                           AspectCase{101, 100, -1.0, 1.0, 1.0, -1.0},
                                           AspectCase{100, 101, -1.0, 1.0, 1.0, -1.0},
                                           AspectCase{333, 77, 0.25, 0.5, -0.1, -0.2},
                                           AspectCase{1, 1, -1.0, 1.0, 1.0, -1.0}));

TEST(FixViewAspect, RepeatedFixesOfAnOddSizedImageKeepNarrowing)
{
    // 101 x 101: every fix loses one step of 101 on both axes once the render start has
    // taken the spans from the bounds again.
    View v = BoundedView(-1.0, 1.0, -1.0, 1.0);
    double width = 2.0;
    double height = 2.0;
    for (int round = 0; round < 4; ++round) {
        v = FixViewAspect(v, 101, 101);
        const double x = v.xMax - v.xMin;
        const double y = v.yMax - v.yMin;
        EXPECT_NEAR(y, height * 100 / 101, 1e-12) << "round " << round;
        EXPECT_LT(x, width) << "round " << round;
        width = x;
        height = y;
        v.UpdateSpans();
    }
    EXPECT_NEAR(height, 2.0 * std::pow(100.0 / 101.0, 4), 1e-12);
}

TEST(FixViewAspect, AnImageWithoutPixelsLeavesTheViewAlone)
{
    const View in = DefaultView();
    for (const auto& size : {std::make_pair(0, 100), std::make_pair(100, 0), std::make_pair(-5, 10)}) {
        const View v = FixViewAspect(in, size.first, size.second);
        EXPECT_EQ(v.xMin, in.xMin);
        EXPECT_EQ(v.xMax, in.xMax);
        EXPECT_EQ(v.yMax, in.yMax);
        EXPECT_EQ(v.yMin, in.yMin);
    }
}

} // namespace
