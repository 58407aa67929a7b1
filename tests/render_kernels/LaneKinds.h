#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "render/Kernels.h"

// One lane type of this build with its kernels.
struct LaneKind {
    std::string name;
    bool isFloat;
    int width;
    bool needsAvx;
    const LaneKernels* kernels;

    RenderKernel Kernel(int formula) const { return kernels->Of(formula); }
};

// The lane types the build under test holds: the scalar pair, then the vector pair if any.
std::vector<LaneKind> LaneKindsOfThisBuild();

// The scalar lane of the same precision as `kind`.
LaneKind ScalarKindLike(const LaneKind& kind);

// Whether this processor and system can run the 256-bit kernels; tests of those are skipped,
// not failed, without it.
bool ProcessorHasAvx();

// For gtest parameter names.
std::string LaneKindName(const LaneKind& kind);

// Names the lane type in gtest messages instead of dumping its bytes.
void PrintTo(const LaneKind& kind, std::ostream* out);
