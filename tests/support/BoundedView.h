#pragma once

#include <gtest/gtest.h>

#include "render/View.h"

// A view from its four bounds with the spans worked out; the steps wait for a picture size.
inline View BoundedView(double xMin, double xMax, double yMin, double yMax)
{
    View v{};
    v.xMin = xMin;
    v.xMax = xMax;
    v.yMin = yMin;
    v.yMax = yMax;
    v.UpdateSpans();
    return v;
}

// The four bounds alike to the bit; spans and steps are left to the code that works them out.
inline void ExpectSameBounds(const View& expected, const View& actual)
{
    EXPECT_EQ(expected.xMin, actual.xMin);
    EXPECT_EQ(expected.xMax, actual.xMax);
    EXPECT_EQ(expected.yMax, actual.yMax);
    EXPECT_EQ(expected.yMin, actual.yMin);
}
