#pragma once

#include "render/Kernels.h"

struct RenderStats;

// Formula ids as clients answer GetFormula, in menu order.
enum FormulaId : int {
    kFormulaLambda = 1,
    kFormulaPower2 = 2,
    kFormulaPower3 = 3,
    kFormulaPower4 = 4,
    kFormulaExp = 5,
};

// The kernel RenderJob::Run runs for a formula id and a render's flags, or null when nothing
// is to run: an unknown id, no precision chosen, or vector kernels allowed but not the width
// this build was made for. The scalar build never runs vector kernels.
RenderKernel ChooseKernel(int formula, const RenderStats& stats);
