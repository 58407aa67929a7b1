#pragma once

#include "render/View.h"

// A view of a width x height image with (near) equal steps on both axes, centred where the
// given one was. The larger step wins; the axis of the smaller one is widened about its centre
// (equal steps widen the real axis). Reads the view's stored spans, not its bounds.
//
// The bounds returned are rebuilt from the centre by adding one step per pixel, so that a
// render accumulating the same steps lands on them. An odd size therefore covers one step
// less than the span returned: each fix of an odd-sized image narrows that axis by a step.
// A size below 1 leaves the view as it is.
View FixViewAspect(const View& view, int width, int height);

// FixViewAspect where its result can be drawn, either way round (IsDrawableView once its bounds
// are ordered); otherwise the view as it is. Widening the axis of the smaller step can carry a
// bound past the largest double, and the pixel alignment adds one step at a time, which stops
// moving a bound once the step is below half of its last digit: the span then closes. Such a
// view keeps its own proportions and is drawn stretched.
View FixViewAspectOrKeep(const View& view, int width, int height);
