#pragma once

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
