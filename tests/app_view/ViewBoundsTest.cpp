// Views a render can draw, and the view arithmetic that keeps to them near the largest double
// and at the limit of double precision.
#include <cfloat>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "app/view/ViewAspect.h"
#include "app/view/ViewBounds.h"
#include "app/view/ViewPoint.h"
#include "app/view/ViewPresets.h"
#include "tests/support/BoundedView.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(DrawableView, NeedsFiniteBoundsAndPositiveSpans)
{
    struct Case {
        const char* name;
        View view;
        bool drawable;
    };
    View staleSpans = BoundedView(-2, 1, -1, 1);
    staleSpans.spanX = kInf;
    const Case cases[] = {
        {"default view", DefaultView(), true},
        {"spans stored apart from the bounds are not looked at", staleSpans, true},
        {"bounds a smallest denormal apart", BoundedView(0, DBL_TRUE_MIN, 0, DBL_TRUE_MIN), true},
        {"the whole range of a double on one side of 0", BoundedView(0, DBL_MAX, -DBL_MAX, 0), true},
        {"an infinite bound", BoundedView(-2, kInf, -1, 1), false},
        {"a NaN bound", BoundedView(-2, 1, kNaN, 1), false},
        {"finite bounds whose span is beyond a double", BoundedView(-1e308, 1e308, -1, 1), false},
        {"no width", BoundedView(0.5, 0.5, -1, 1), false},
        {"no height", BoundedView(-2, 1, 1, 1), false},
        {"real axis the wrong way round", BoundedView(1, -2, -1, 1), false},
        {"imaginary axis the wrong way round", BoundedView(-2, 1, 1, -1), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.drawable, IsDrawableView(c.view)) << c.name;
    }
    EXPECT_TRUE(IsDrawableView(WithOrderedBounds(BoundedView(1, -2, 1, -1))));
}

TEST(FixViewAspectOrKeep, FixesWhatItCanAndKeepsTheRest)
{
    struct Case {
        const char* name;
        View view;
        int width;
        int height;
        bool fixed;  // else kept as it is
    };
    // 64 steps of the last digit of 1 across 640 pixels: adding a tenth of one to a bound
    // leaves it where it was, so the aligned real axis would have no width.
    const double ulp = std::nextafter(1.0, 2.0) - 1.0;
    const Case cases[] = {
        {"default view", DefaultView(), 640, 480, true},
        {"imaginary axis upside down", BoundedView(-2, 1, 1.3, -1.3), 640, 480, true},
        {"both axes the wrong way round", BoundedView(1, -2, 1.3, -1.3), 640, 480, true},
        {"no width: the real axis is built from the imaginary step", BoundedView(0, 0, -1, 1), 640, 480, true},
        // The real axis would be widened to 640 x 1.6e308 / 480.
        {"a tall view near the largest double", BoundedView(-1e-300, 1e-300, -8e307, 8e307), 640, 480, false},
        {"a wide view near the largest double", BoundedView(-8e307, 8e307, -1, 1), 3, 4000, false},
        {"below the precision of its bounds", BoundedView(1, 1 + 64 * ulp, -1e-15, 1e-15), 640, 480, false},
        {"no width and no height", BoundedView(0.5, 0.5, 1, 1), 640, 480, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const View plain = FixViewAspect(c.view, c.width, c.height);
        const View result = FixViewAspectOrKeep(c.view, c.width, c.height);
        EXPECT_EQ(c.fixed, IsDrawableView(WithOrderedBounds(plain)));
        ExpectSameBounds(c.fixed ? plain : c.view, result);
        if (c.fixed) {
            EXPECT_EQ(plain.stepX, result.stepX);
            EXPECT_EQ(plain.stepY, result.stepY);
        }
    }
}

TEST(PixelToPlane, StaysFiniteWhereSpanTimesPositionOverflows)
{
    // 1e308 times a position of 2 or more is past the largest double.
    const View huge = BoundedView(-5e307, 5e307, -3.75e307, 3.75e307);
    struct Case {
        ImagePoint point;
        double re;
        double im;
    };
    const Case cases[] = {
        {{0, 0}, -5e307, 3.75e307},
        {{320, 240}, 0.0, 0.0},
        {{160, 360}, -2.5e307, -1.875e307},
        {{640, 480}, 5e307, -3.75e307},
        // Off the image, the nearest edge.
        {{-7, 900}, -5e307, -3.75e307},
        {{32000, -32000}, 5e307, 3.75e307},
    };
    for (const Case& c : cases) {
        const PlanePoint p = PixelToPlane(huge, 640, 480, c.point);
        EXPECT_DOUBLE_EQ(c.re, p.re) << c.point.x << "," << c.point.y;
        EXPECT_DOUBLE_EQ(c.im, p.im) << c.point.x << "," << c.point.y;
    }
    // Where nothing overflows, the point is the plain product, off the image included.
    const View v = DefaultView();
    const PlanePoint p = PixelToPlane(v, 640, 480, ImagePoint{-7, 900});
    EXPECT_EQ(-7 * v.spanX / 640 + v.xMin, p.re);
    EXPECT_EQ(v.yMax - 900 * v.spanY / 480, p.im);
}

} // namespace
