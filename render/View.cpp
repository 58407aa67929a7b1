#include "render/View.h"

void View::UpdateSpans()
{
    spanX = xMax - xMin;
    spanY = yMax - yMin;
}

void View::UpdateSteps(int width, int height)
{
    stepX = spanX / width;
    stepY = spanY / height;
}

void View::SetDefault()
{
    // 1.3 and 2.6 are single-precision constants widened to double, so the start view, Reset
    // and the Julia switch all land on the very same bounds.
    xMin = -2.0;
    xMax = 1.0;
    yMax = static_cast<double>(1.3f);
    yMin = -static_cast<double>(1.3f);
    spanX = 3.0;
    spanY = static_cast<double>(2.6f);
}
