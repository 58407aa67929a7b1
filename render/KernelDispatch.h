#pragma once

#include "render/Kernels.h"

struct RenderStats;

// The lane sets this build holds: the scalar one, and the vector one of the width the build was
// made for (null in the scalar build).
struct BuildKernels {
    const LaneSet* scalar;
    const LaneSet* vector;
};
BuildKernels KernelsOfThisBuild();

// The kernel RenderJob::Run runs for a formula id and a render's flags, or null when nothing
// is to run: an unknown id, no precision chosen, or vector kernels allowed but not the width
// this build was made for. The scalar build never runs vector kernels.
RenderKernel ChooseKernel(int formula, const RenderStats& stats);
