#include "app/view/ViewPoint.h"

PlanePoint PixelToPlane(const View& view, int width, int height, ImagePoint p)
{
    // An image without pixels counts as one pixel, so the point stays finite.
    if (width < 1) {
        width = 1;
    }
    if (height < 1) {
        height = 1;
    }
    PlanePoint point;
    point.re = p.x * view.spanX / width + view.xMin;
    point.im = view.yMax - p.y * view.spanY / height;
    return point;
}

ImagePoint UnpackImagePoint(uint32_t packed)
{
    ImagePoint p;
    p.x = static_cast<int16_t>(packed & 0xFFFFu);
    p.y = static_cast<int16_t>(packed >> 16);
    return p;
}
