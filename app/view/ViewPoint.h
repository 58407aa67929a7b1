#pragma once

#include <cstdint>

#include "render/View.h"

// A pixel of the image: x from the left edge, y from the top row (toolbar already taken off).
struct ImagePoint {
    int x;
    int y;
};

struct PlanePoint {
    double re;
    double im;
};

// The point of the plane that the view shows at image pixel p of a width x height image.
// Finite for a view that can be drawn (IsDrawableView): where the product of a position and a
// span near the largest double overflows, the point is taken from the nearer edge instead,
// and a point off the image then counts as that edge.
PlanePoint PixelToPlane(const View& view, int width, int height, ImagePoint p);

// Mouse messages and the window's own callers pass a point as two signed 16-bit halves,
// x in the low half and y in the high half.
ImagePoint UnpackImagePoint(uint32_t packed);
