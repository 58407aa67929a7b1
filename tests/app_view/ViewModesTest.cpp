#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "app/view/ViewIterations.h"
#include "app/view/ViewPoint.h"
#include "app/view/ViewPresets.h"

namespace {

struct AdaptCase {
    uint64_t limit;
    double magnification;
    uint64_t expected;
};

class AdaptedIterationLimits : public ::testing::TestWithParam<AdaptCase> {};

TEST_P(AdaptedIterationLimits, TakeTheFifthRootAndTruncate)
{
    const AdaptCase c = GetParam();
    EXPECT_EQ(AdaptedIterationLimit(c.limit, c.magnification), c.expected)
        << c.limit << " x " << c.magnification;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AdaptedIterationLimits,
    ::testing::Values(AdaptCase{512, 0.2, 371},   // zoom out by 5: 371.09
                      AdaptCase{371, 5.0, 511},   // and back in: 511.88, not 512
                      AdaptCase{512, 1.0, 512},
                      AdaptCase{1000, 2.0, 1148}, // 1148.70
                      AdaptCase{1, 0.2, 0},
                      AdaptCase{0, 5.0, 0},       // 0 stays 0 until Reset or the dialog
                      AdaptCase{UINT64_MAX, 5.0, UINT64_MAX},
                      AdaptCase{UINT64_MAX / 2, 1e6, UINT64_MAX},
                      AdaptCase{512, NAN, 512},
                      AdaptCase{512, INFINITY, UINT64_MAX}));

TEST(AdaptedIterationLimit, RepeatedZoomOutReachesZeroAndStays)
{
    uint64_t limit = kDefaultMaxIterations;
    int steps = 0;
    while (limit != 0 && steps < 100) {
        limit = AdaptedIterationLimit(limit, 0.2);
        ++steps;
    }
    EXPECT_EQ(limit, 0u);
    EXPECT_LT(steps, 30);
    EXPECT_EQ(AdaptedIterationLimit(limit, 1e9), 0u);
}

TEST(PixelToPlane, MapsCornersAndCentreOfTheView)
{
    const View v = DefaultView();
    const struct {
        ImagePoint p;
        double re;
        double im;
    } cases[] = {
        {{0, 0}, -2.0, 1.2999999523162842},   // the top-left pixel: (xMin, yMax)
        {{600, 260}, 1.0, -1.2999999523162842},
        {{300, 130}, -0.5, 0.0},
        {{150, 65}, -1.25, 0.6499999761581421},
    };
    for (const auto& c : cases) {
        const PlanePoint p = PixelToPlane(v, 600, 260, c.p);
        EXPECT_DOUBLE_EQ(p.re, c.re) << c.p.x << "," << c.p.y;
        EXPECT_NEAR(p.im, c.im, 1e-15) << c.p.x << "," << c.p.y;
    }
}

TEST(UnpackImagePoint, ReadsSignedHalves)
{
    const struct {
        uint32_t packed;
        int x;
        int y;
    } cases[] = {
        {0x00000000u, 0, 0},
        {0x00C80064u, 100, 200},
        {0xFFFE0005u, 5, -2},
        {0x0003FFFFu, -1, 3},
        {0x80007FFFu, 32767, -32768},
    };
    for (const auto& c : cases) {
        const ImagePoint p = UnpackImagePoint(c.packed);
        EXPECT_EQ(p.x, c.x) << std::hex << c.packed;
        EXPECT_EQ(p.y, c.y) << std::hex << c.packed;
    }
}

TEST(JuliaSwitchView, EnteringShowsMinusTwoToTwo)
{
    // 4 / 640 beats 2.6 / 480: the real range stays, the imaginary one widens.
    const View v = JuliaSwitchView(true, 640, 480);
    EXPECT_NEAR(v.xMin, -2.0, 1e-12);
    EXPECT_NEAR(v.xMax, 2.0, 1e-12);
    EXPECT_NEAR(v.yMax, 1.5, 1e-12);
    EXPECT_NEAR(v.yMin, -1.5, 1e-12);
    EXPECT_NEAR(v.stepX, v.stepY, 1e-15);
}

TEST(JuliaSwitchView, LeavingShowsTheSetAboutMinusAHalf)
{
    const View v = JuliaSwitchView(false, 640, 480);
    EXPECT_NEAR((v.xMin + v.xMax) * 0.5, -0.5, 1e-12);
    EXPECT_NEAR(v.yMax, 1.2999999523162842, 1e-12);
    EXPECT_NEAR(v.yMin, -1.2999999523162842, 1e-12);
    EXPECT_NEAR(v.stepX, v.stepY, 1e-15);
    // A 300 x 260 image already fits the set's range: x stays from -2 to 1.
    const View square = JuliaSwitchView(false, 300, 260);
    EXPECT_NEAR(square.xMin, -2.0, 1e-9);
    EXPECT_NEAR(square.xMax, 1.0, 1e-9);
}

} // namespace
