#pragma once

#include "render/Kernels.h"

struct RenderStats;

// The kernel RenderJob::Run runs for a formula id and a render's flags, or null when nothing
// is to run: an unknown id, no precision chosen, or vector kernels allowed but not the width
// this build was made for. The scalar build never runs vector kernels.
RenderKernel ChooseKernel(int formula, const RenderStats& stats);
