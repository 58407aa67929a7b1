#pragma once

#include "render/View.h"

// True when a render can draw the view: its four bounds are finite, and the spans worked out
// from them are finite and above 0. Spans and steps stored in the view are not looked at; the
// render start works them out from the bounds again. Zooming out past the largest double, or
// in past the smallest difference between two, gives a view without it.
bool IsDrawableView(const View& view);

// The view with xMin <= xMax and yMin <= yMax: a co-ordinates file or a drag may give them
// either way round. Spans and steps are left as they are.
View WithOrderedBounds(View view);
