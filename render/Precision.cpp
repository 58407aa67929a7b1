#include "render/Precision.h"

#include <windows.h>

#include <cmath>

#include "render/BuildConfig.h"
#include "render/CpuProbe.h"
#include "render/IRenderCallbackInterface.h"
#include "render/Processors.h"
#include "render/RenderBand.h"
#include "render/RenderThreadPool.h"
#include "render/Stored.h"
#include "render/View.h"

namespace {

using ZORB_KERNEL_NAMESPACE::Stored;

// Each sum is Stored: on x87 an unstored sum keeps extra bits and would hide exactly the rounding
// these tests look for.
template <typename Element>
double AccumulateSteps(double start, double end, double step, int count) {
    Element sum = Stored(static_cast<Element>(start));
    const Element increment = Stored(static_cast<Element>(step));
    int left = count;
    for (; left >= 8; left -= 8) {
        sum = Stored(sum + increment);
        sum = Stored(sum + increment);
        sum = Stored(sum + increment);
        sum = Stored(sum + increment);
        sum = Stored(sum + increment);
        sum = Stored(sum + increment);
        sum = Stored(sum + increment);
        sum = Stored(sum + increment);
    }
    for (; left > 0; --left) {
        sum = Stored(sum + increment);
    }
    return std::fabs(static_cast<double>(sum) - end);
}

// Drift across the picture within two steps; a NaN drift fails.
bool DriftWithinTwoSteps(double drift, double step) {
    return drift <= 2.0 * step;
}

// bound + step is a different number from bound; an unordered comparison fails.
template <typename Element>
bool StepMovesBound(double bound, double step) {
    const Element b = Stored(static_cast<Element>(bound));
    const Element sum = Stored(static_cast<Element>(step) + b);
    return sum < b || sum > b;
}

template <typename Element>
bool StepsMoveAllBounds(const View& view, const RenderBand& request) {
    return StepMovesBound<Element>(view.xMin, request.stepX) &&
           StepMovesBound<Element>(view.xMax, request.stepX) &&
           StepMovesBound<Element>(view.yMax, request.stepY) &&
           StepMovesBound<Element>(view.yMin, request.stepY);
}

template <typename Element>
bool CheckPrecision(const RenderBand& request, bool manyThreads, const View& view) {
    if (!manyThreads) {
        return StepsMoveAllBounds<Element>(view, request);
    }
    const double driftX = AccumulateSteps<Element>(view.xMin, view.xMax, request.stepX,
                                                   request.width - request.originX);
    const double driftY = AccumulateSteps<Element>(view.yMin, view.yMax, request.stepY,
                                                   request.height - request.originY);
    return DriftWithinTwoSteps(driftX, request.stepX) && DriftWithinTwoSteps(driftY, request.stepY);
}

} // namespace

double AccumulateStepsFloat(double start, double end, double step, int count) {
    return AccumulateSteps<float>(start, end, step, count);
}

double AccumulateStepsDouble(double start, double end, double step, int count) {
    return AccumulateSteps<double>(start, end, step, count);
}

bool CheckFloatPrecision(const RenderBand* request, bool manyThreads, IRenderCallbackInterface* client) {
    return CheckPrecision<float>(*request, manyThreads, *client->GetView());
}

bool CheckDoublePrecision(const RenderBand* request, bool manyThreads, IRenderCallbackInterface* client) {
    return CheckPrecision<double>(*request, manyThreads, *client->GetView());
}

int CountSetBits(uint64_t mask) {
    int bits = 0;
    for (; mask; mask &= mask - 1) {
        ++bits;
    }
    return bits;
}

int RenderThreadPool::Prepare(RenderThreadPool* pool, const RenderBand* request,
                              IRenderCallbackInterface* client) {
    RenderStats& stats = pool->stats;
    const int threadCount = CountLogicalProcessors();
    stats.threadCount = threadCount;
    const View& view = *client->GetView();
    const bool manyThreads = threadCount > 1;

    stats.useFloat = CheckPrecision<float>(*request, manyThreads, view);
    if (!stats.useFloat) {
        OutputDebugStringA("Precision is too low for float, trying double\n");
        stats.useDouble = CheckPrecision<double>(*request, manyThreads, view);
        if (!stats.useDouble && manyThreads && CheckPrecision<double>(*request, false, view)) {
            stats.useDouble = true;
            stats.threadCount = 1;
            OutputDebugStringA("Had to revert to single threaded for precision\n");
        }
        if (!stats.useDouble) {
            OutputDebugStringA("Precision is too low for double, nothing will be rendered\n");
            // Rendered all the same: a picture of repeated pixels beats an empty window.
            stats.useDouble = true;
        }
    }

    if constexpr (kBuildScalar) {
        return 0;
    }
    OutputDebugStringA(kBuildAvx ? "Detecting if support for AVX instructions exists\n"
                                 : "Detecting if support for SSE2 instructions exists\n");
    const int bits = DetectSimdBits();
    stats.simd = bits != 0;
    stats.sse128 = bits != 0 && bits <= 128;
    stats.avx256 = bits > 128;
    return bits;
}
