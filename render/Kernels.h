#pragma once

#include "render/Formula.h"

// The kernel instances, one per formula and lane type, as the dispatch and the tests reach them:
// through a table per lane type. The tables are defined in the units that instantiate their
// kernels (KernelTable.h): scalar in every build, sse2 in the SSE2 build only, avx in the AVX
// build only. Naming another build's table fails at link time, and a unit that sees only these
// declarations carries no vector code.
//
// Each kernel renders one band for one client and returns when the band is done or
// RenderRunningFlag is clear.

struct RenderBand;
class IRenderCallbackInterface;

using RenderKernel = void (*)(const RenderBand* band, IRenderCallbackInterface* client);

// One lane type's kernels.
struct LaneKernels {
    const char* lane; // the lane type's name
    int width;        // pixels in a group
    bool isFloat;     // single precision, else double
    RenderKernel byFormula[Formula::Count];

    // Null for an id outside 1 to Formula::Count.
    RenderKernel Of(int formula) const
    {
        return formula >= 1 && formula <= Formula::Count ? byFormula[formula - 1] : nullptr;
    }
};

// The float and the double lane type of one instruction set.
struct LaneSet {
    LaneKernels floatLane;
    LaneKernels doubleLane;
};

namespace scalar {
extern const LaneSet kKernels; // FloatLane, DoubleLane
}

namespace sse2 {
extern const LaneSet kKernels; // Float4Lane, Double2Lane
}

namespace avx {
extern const LaneSet kKernels; // Float8Lane, Double4Lane
}
