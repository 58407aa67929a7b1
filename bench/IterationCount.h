#pragma once

#include <cstdint>
#include <vector>

#include "render/View.h"

// How many orbit steps a view takes, counted once with a plain double loop, independent of
// the kernels, so that a kernel's time can be held against the processor's limit.
struct ViewIterations {
    int width = 0;
    int height = 0;
    // Steps of each pixel until it left the radius or met the limit, row by row from the
    // top; pixelsKnownInside marks those the kernels skip (main cardioid, period-2 bulb).
    std::vector<uint32_t> steps;
    std::vector<uint8_t> knownInside;

    // Lane steps a kernel of the given vector width runs: each group of `laneWidth` adjacent
    // pixels of a row runs until its longest orbit ends, every lane along; a group whose every
    // pixel is known inside runs none.
    uint64_t LaneSteps(int laneWidth) const;
};

// The view's pixels as the kernels place them: pixel (x, y) at (xMin + x stepX, y stepY - yMax)
// for the 1-based row y. Set mode; formula ids as the engine's.
ViewIterations CountViewIterations(const View& view, int width, int height, int formula, uint64_t maxIterations);
