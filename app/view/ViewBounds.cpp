#include "app/view/ViewBounds.h"

#include <cmath>

namespace {

// Infinite or NaN ends are caught by the comparison too: a NaN difference is not above 0, and
// an infinite one is not finite.
bool IsDrawableRange(double low, double high)
{
    const double span = high - low;
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
