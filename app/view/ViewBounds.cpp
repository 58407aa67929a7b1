#include "app/view/ViewBounds.h"

#include <cmath>

namespace {

bool IsDrawableRange(double low, double high)
{
    // Stored, so that it is the double the render works out: an x87 register has the exponent
    // range to hold a span past the largest double.
    const volatile double span = high - low;
    return std::isfinite(low) && std::isfinite(high) && std::isfinite(span) && span > 0.0;
}

} // namespace

bool IsDrawableView(const View& view)
{
    return IsDrawableRange(view.xMin, view.xMax) && IsDrawableRange(view.yMin, view.yMax);
}

View WithOrderedBounds(View view)
{
    if (view.yMax < view.yMin) {
        const double t = view.yMax;
        view.yMax = view.yMin;
        view.yMin = t;
    }
    if (view.xMin > view.xMax) {
        const double t = view.xMin;
        view.xMin = view.xMax;
        view.xMax = t;
    }
    return view;
}
