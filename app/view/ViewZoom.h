#pragma once

#include "app/view/ViewBounds.h"
#include "app/view/ViewPoint.h"
#include "render/View.h"

// Bounds and spans of a view whose spans are factor times the given ones (above 1 zooms out)
// and in which image pixel p of a width x height image keeps its place. A point outside the
// image counts as the nearest edge; a size below 1 leaves the view as it is. The steps are
// copied unchanged: the next render start recomputes them.
View ZoomViewAboutPoint(double factor, const View& view, int width, int height, ImagePoint p);

// The rubber band as it zooms, in image pixels: left and top edge, and its size counting both
// edges.
struct SelectionBox {
    bool valid; // false for a box of width or height 0, which zooms nothing
    int left;
    int top;
    int width;
    int height;
};

// The box dragged from start to end. keepProportions (neither Shift nor Control held) makes
// its height follow the image's proportions from its width. Never valid for an image size
// below 1.
SelectionBox MakeSelectionBox(ImagePoint start, ImagePoint end, bool keepProportions, int width,
                              int height);

// The view that shows a valid box of the given view, spans and steps brought up to date. With
// keepProportions the view first gets equal steps where it can (FixViewAspectOrKeep), as the
// band was drawn on them. The result may not be drawable (IsDrawableView): a box of a few
// pixels at the limit of double precision has no width left.
View SelectionView(const View& view, const SelectionBox& box, bool keepProportions, int width,
                   int height);

// The mean magnification of both axes, for the adaptive iteration limit.
double SelectionMagnification(const SelectionBox& box, int width, int height);
