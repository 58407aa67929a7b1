#include "app/view/ViewAspect.h"

#include "app/view/ViewBounds.h"

View FixViewAspect(const View& view, int width, int height)
{
    // A window smaller than its bars has no image; its steps would be infinite.
    if (width < 1 || height < 1) {
        return view;
    }
    View v = view;
    const double sx = (1.0 / width) * v.spanX;
    const double sy = (1.0 / height) * v.spanY;

    if (sx > sy) {
        const double cy = (v.yMax + v.yMin) * 0.5;
        const int h = height / 2;
        v.yMin = cy - h * sx;
        v.yMax = h * sx + cy;
    } else {
        const double cx = (v.xMax + v.xMin) * 0.5;
        const int w = width / 2;
        v.xMin = cx - w * sy;
        v.xMax = w * sy + cx;
    }

    v.spanX = v.xMax - v.xMin;
    v.spanY = v.yMax - v.yMin;
    v.stepX = v.spanX * (1.0 / width);
    v.stepY = v.spanY * (1.0 / height);

    const double cy = (v.yMax + v.yMin) * 0.5;
    v.yMax = cy;
    v.yMin = cy;
    for (int i = 0; i < height / 2; ++i) {
        v.yMin = v.yMin - v.stepY;
        v.yMax = v.yMax + v.stepY;
    }
    const double cx = (v.xMax + v.xMin) * 0.5;
    v.xMin = cx;
    v.xMax = cx;
    for (int i = 0; i < width / 2; ++i) {
        v.xMin = v.xMin - v.stepX;
        v.xMax = v.xMax + v.stepX;
    }
    return v;
}

View FixViewAspectOrKeep(const View& view, int width, int height)
{
    const View fixed = FixViewAspect(view, width, height);
    return IsDrawableView(WithOrderedBounds(fixed)) ? fixed : view;
}
