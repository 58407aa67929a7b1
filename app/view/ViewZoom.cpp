#include "app/view/ViewZoom.h"

#include <cstdint>

#include "app/view/ViewAspect.h"

namespace {

double ClampUnit(double f)
{
    if (f < 0.0) {
        return 0.0;
    }
    if (f > 1.0) {
        return 1.0;
    }
    return f;
}

} // namespace

View ZoomViewAboutPoint(double factor, const View& view, int width, int height, ImagePoint p)
{
    if (width < 1 || height < 1) {
        return view;
    }
    const double fx = ClampUnit(static_cast<double>(p.x) / width);
    const double fy = ClampUnit(static_cast<double>(p.y) / height);
    const double dX = view.spanX - view.spanX * factor;
    const double dY = view.spanY - view.spanY * factor;

    View v = view;
    v.xMin = dX * fx + view.xMin;
    v.xMax = view.xMax - dX * (1.0 - fx);
    v.yMax = view.yMax - dY * fy;
    v.yMin = (1.0 - fy) * dY + view.yMin;
    v.UpdateSpans();
    return v;
}

SelectionBox MakeSelectionBox(ImagePoint start, ImagePoint end, bool keepProportions, int width,
                              int height)
{
    SelectionBox box{false, start.x, start.y, 0, 0};
    if (width < 1 || height < 1) {
        return box;
    }
    int w = end.x - start.x;
    int h = end.y - start.y;
    if (w < 0) {
        w = -w;
        box.left = end.x;
    }
    if (h < 0) {
        h = -h;
        box.top = end.y;
    }
    if (w == 0 || h == 0) {
        return box;
    }
    box.valid = true;
    box.width = w + 1;
    box.height = h + 1;
    if (keepProportions) {
        const int64_t proportional = static_cast<int64_t>(height) * box.width / width;
        // A narrow drag in a wide image would round the height to nothing: a view without
        // height and an infinite magnification. One row is the least a box can show.
        box.height = proportional < 1 ? 1 : static_cast<int>(proportional);
    }
    return box;
}

View SelectionView(const View& view, const SelectionBox& box, bool keepProportions, int width,
                   int height)
{
    View v = WithOrderedBounds(view);
    v.UpdateSpans();
    if (keepProportions) {
        v = FixViewAspectOrKeep(v, width, height);
    }

    v.xMin = box.left * v.spanX / width + v.xMin;
    v.yMax = v.yMax - box.top * v.spanY / height;
    v.xMax = box.width * v.spanX / width + v.xMin;
    v.yMin = v.yMax - box.height * v.spanY / height;
    v.UpdateSpans();
    v.UpdateSteps(width, height);
    return v;
}

double SelectionMagnification(const SelectionBox& box, int width, int height)
{
    return (static_cast<double>(width) / box.width + static_cast<double>(height) / box.height) *
           0.5;
}
