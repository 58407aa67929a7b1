#include "app/view/ViewPoint.h"

#include <cmath>

namespace {

// The point a fraction f of the way from start to end (span = end - start), taken from the
// nearer end so that no product exceeds half the span: finite for any finite range. A fraction
// outside 0..1 (a point off the image) counts as the nearer edge.
double PointOnRange(double start, double end, double span, double f)
{
    if (!(f > 0.0)) {
        return start;
    }
    if (f >= 1.0) {
        return end;
    }
    return f <= 0.5 ? start + f * span : end - (1.0 - f) * span;
}

} // namespace

PlanePoint PixelToPlane(const View& view, int width, int height, ImagePoint p)
{
    // An image without pixels counts as one pixel, so the point stays finite.
    if (width < 1) {
        width = 1;
    }
    if (height < 1) {
        height = 1;
    }
    // A span near the largest double times a pixel position overflows before the division.
    // The products are stored so that they do on x87 too, whose registers have the exponent
    // range to hold them: every build then gives the same point.
    const volatile double alongX = p.x * view.spanX;
    const volatile double alongY = p.y * view.spanY;
    PlanePoint point;
    point.re = alongX / width + view.xMin;
    point.im = view.yMax - alongY / height;
    if (!std::isfinite(point.re)) {
        point.re = PointOnRange(view.xMin, view.xMax, view.spanX, static_cast<double>(p.x) / width);
    }
    if (!std::isfinite(point.im)) {
        point.im = PointOnRange(view.yMax, view.yMin, -view.spanY, static_cast<double>(p.y) / height);
    }
    return point;
}

ImagePoint UnpackImagePoint(uint32_t packed)
{
    ImagePoint p;
    p.x = static_cast<int16_t>(packed & 0xFFFFu);
    p.y = static_cast<int16_t>(packed >> 16);
    return p;
}
