#include <gtest/gtest.h>

#include "app/view/ViewAspect.h"
#include "app/view/ViewPresets.h"
#include "app/view/ViewZoom.h"
#include "tests/support/BoundedView.h"

namespace {

TEST(ZoomViewAboutPoint, ZoomOutByFiveAboutTheCentreKeepsTheCentre)
{
    const View in = DefaultView();
    const View v = ZoomViewAboutPoint(5.0, in, 640, 480, ImagePoint{320, 240});
    EXPECT_DOUBLE_EQ(v.spanX, 15.0);
    EXPECT_DOUBLE_EQ(v.spanY, 5.0 * in.spanY);
    EXPECT_DOUBLE_EQ((v.xMin + v.xMax) * 0.5, -0.5);
    EXPECT_NEAR((v.yMin + v.yMax) * 0.5, 0.0, 1e-15);
    EXPECT_EQ(v.spanX, v.xMax - v.xMin);
    EXPECT_EQ(v.spanY, v.yMax - v.yMin);
}

struct PointCase {
    ImagePoint point;
    double fx; // where the point sits, clamped, as a fraction of the image
    double fy;
};

class ZoomViewAboutPoints : public ::testing::TestWithParam<PointCase> {};

// The plane point under the image point stays put; points outside the image act as the edge.
TEST_P(ZoomViewAboutPoints, KeepsThePointInPlace)
{
    const PointCase c = GetParam();
    const View in = BoundedView(-2.0, 2.0, -1.5, 1.5);
    for (double factor : {0.5, 0.25, 2.0}) {
        const View v = ZoomViewAboutPoint(factor, in, 400, 300, c.point);
        EXPECT_DOUBLE_EQ(v.spanX, in.spanX * factor);
        EXPECT_DOUBLE_EQ(v.spanY, in.spanY * factor);
        EXPECT_NEAR(v.xMin + c.fx * v.spanX, in.xMin + c.fx * in.spanX, 1e-12);
        EXPECT_NEAR(v.yMax - c.fy * v.spanY, in.yMax - c.fy * in.spanY, 1e-12);
    }
}

INSTANTIATE_TEST_SUITE_P(Points, ZoomViewAboutPoints,
                         ::testing::Values(PointCase{{0, 0}, 0.0, 0.0},
                                           PointCase{{100, 225}, 0.25, 0.75},
                                           PointCase{{400, 300}, 1.0, 1.0},
                                           PointCase{{-50, 900}, 0.0, 1.0},
                                           PointCase{{5000, -3}, 1.0, 0.0}));

TEST(ZoomViewAboutPoint, LeavesTheStepsForTheNextRenderStart)
{
    View in = BoundedView(-2.0, 2.0, -1.5, 1.5);
    in.stepX = 123.0;
    in.stepY = 456.0;
    const View v = ZoomViewAboutPoint(0.5, in, 400, 300, ImagePoint{200, 150});
    EXPECT_EQ(v.stepX, 123.0);
    EXPECT_EQ(v.stepY, 456.0);
}

struct BoxCase {
    const char* name;
    ImagePoint start;
    ImagePoint end;
    bool keepProportions;
    int width;
    int height;
    SelectionBox expected;
};

class SelectionBoxes : public ::testing::TestWithParam<BoxCase> {};

TEST_P(SelectionBoxes, NormaliseTheDrag)
{
    const BoxCase c = GetParam();
    const SelectionBox box = MakeSelectionBox(c.start, c.end, c.keepProportions, c.width, c.height);
    EXPECT_EQ(box.valid, c.expected.valid) << c.name;
    EXPECT_EQ(box.left, c.expected.left) << c.name;
    EXPECT_EQ(box.top, c.expected.top) << c.name;
    if (c.expected.valid) {
        EXPECT_EQ(box.width, c.expected.width) << c.name;
        EXPECT_EQ(box.height, c.expected.height) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Drags, SelectionBoxes,
    ::testing::Values(
        // 200 * 101 / 400 = 50.5: the proportional height is truncated.
        BoxCase{"down right", {10, 20}, {110, 70}, true, 400, 200, {true, 10, 20, 101, 50}},
        BoxCase{"up left", {110, 70}, {10, 20}, true, 400, 200, {true, 10, 20, 101, 50}},
        BoxCase{"up right", {10, 70}, {110, 20}, true, 400, 200, {true, 10, 20, 101, 50}},
        BoxCase{"free box", {10, 20}, {110, 70}, false, 400, 200, {true, 10, 20, 101, 51}},
        BoxCase{"free, tall", {10, 20}, {12, 190}, false, 400, 200, {true, 10, 20, 3, 171}},
        BoxCase{"click", {50, 60}, {50, 60}, true, 400, 200, {false, 50, 60, 0, 0}},
        BoxCase{"no width", {50, 60}, {50, 90}, true, 400, 200, {false, 50, 60, 0, 0}},
        BoxCase{"no height, leftwards", {50, 60}, {20, 60}, false, 400, 200, {false, 20, 60, 0, 0}},
        BoxCase{"thin in a wide image", {0, 0}, {1, 5}, true, 1000, 100, {true, 0, 0, 2, 1}},
        BoxCase{"no image", {0, 0}, {10, 10}, true, 400, 0, {false, 0, 0, 0, 0}}));

TEST(SelectionView, AFreeBoxShowsExactlyItsPartOfTheView)
{
    const View in = BoundedView(-2.0, 2.0, -1.0, 1.0);
    const SelectionBox box{true, 100, 50, 200, 100};
    const View v = SelectionView(in, box, false, 400, 200);
    EXPECT_DOUBLE_EQ(v.xMin, -1.0);
    EXPECT_DOUBLE_EQ(v.xMax, 1.0);
    EXPECT_DOUBLE_EQ(v.yMax, 0.5);
    EXPECT_DOUBLE_EQ(v.yMin, -0.5);
    EXPECT_DOUBLE_EQ(v.spanX, 2.0);
    EXPECT_DOUBLE_EQ(v.spanY, 1.0);
    EXPECT_DOUBLE_EQ(v.stepX, 2.0 / 400);
    EXPECT_DOUBLE_EQ(v.stepY, 1.0 / 200);
}

TEST(SelectionView, AFlippedViewIsTurnedUprightBeforeTheBoxIsTaken)
{
    const View in = BoundedView(2.0, -2.0, 1.0, -1.0);
    const SelectionBox box{true, 0, 0, 200, 100};
    const View v = SelectionView(in, box, false, 400, 200);
    EXPECT_DOUBLE_EQ(v.xMin, -2.0);
    EXPECT_DOUBLE_EQ(v.xMax, 0.0);
    EXPECT_DOUBLE_EQ(v.yMax, 1.0);
    EXPECT_DOUBLE_EQ(v.yMin, 0.0);
}

TEST(SelectionView, AProportionalBoxGetsTheAspectFixFirstAndKeepsEqualSteps)
{
    const View in = DefaultView(); // steps of 3/400 and 2.6/200 differ
    const SelectionBox box{true, 40, 30, 200, 100};
    const View v = SelectionView(in, box, true, 400, 200);
    const View fixed = FixViewAspect(in, 400, 200);
    EXPECT_DOUBLE_EQ(v.xMin, 40 * fixed.spanX / 400 + fixed.xMin);
    EXPECT_DOUBLE_EQ(v.yMax, fixed.yMax - 30 * fixed.spanY / 200);
    EXPECT_NEAR(v.stepX, v.stepY, 1e-15);
    EXPECT_NEAR(v.spanX, fixed.spanX / 2, 1e-14);
}

TEST(SelectionMagnification, IsTheMeanOfBothAxes)
{
    EXPECT_DOUBLE_EQ(SelectionMagnification(SelectionBox{true, 0, 0, 200, 100}, 400, 200), 2.0);
    EXPECT_DOUBLE_EQ(SelectionMagnification(SelectionBox{true, 0, 0, 101, 50}, 400, 200),
                     (400.0 / 101 + 4.0) * 0.5);
    EXPECT_DOUBLE_EQ(SelectionMagnification(SelectionBox{true, 0, 0, 3, 171}, 400, 200),
                     (400.0 / 3 + 200.0 / 171) * 0.5);
}

} // namespace
