#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#include "render/EscapeGroup.h"
#include "render/Formula.h"
#include "render/FormulaPolicies.h"
#include "render/IRenderCallbackInterface.h"
#include "render/KernelNamespace.h"
#include "render/OrbitState.h"
#include "render/RenderBand.h"
#include "render/View.h"

// The escape-time loop, written once over a formula policy and a lane type. Include it only
// from a unit that instantiates kernels (see KernelNamespace.h).
//
// Which loop a group of a row takes (EscapeGroup.h), by lane kind:
// - FloatLane and DoubleLane, every lane in 32-bit code (eight vector registers), and exp(z)
//   on every lane (its library calls leave nothing to interleave): one group at a time,
//   RunGroup.
// - Float4Lane and Double2Lane in 64-bit code: two groups side by side, RunGroupPair; a row's
//   odd last group alone, RunGroup.
// - Float8Lane and Double4Lane in 64-bit code: groups in flight, RenderRowInFlight. For z^2,
//   z^3 and z^4 + c three at once through the lane's hand-written loop (RunThree,
//   avx/PowerLoops.h), for the lambda map two (RunTwo); fewer as the row runs out (RunTwo, and
//   a group left alone RunOne).
// Every loop makes at most kStepsBetweenStopChecks steps between two looks at the stop flag.
namespace ZORB_KERNEL_NAMESPACE {

// Pairs pay where a step is a chain of inline vector operations and the registers hold two
// groups' state: not around the exponential's library calls, nor in the eight vector registers
// of 32-bit code.
template <class Formula, class Lane>
constexpr bool kRunsPairs = Lane::kWidth > 1 && !std::is_same_v<Formula, ExpFormula<Lane>> && sizeof(void*) == 8;

// Places that take the row's next group as one finishes, where the group's loop state is small
// enough (the tally lanes) that copies of it for the run stay in registers.
template <class Formula, class Lane>
constexpr bool kRunsGroupsInFlight = kRunsPairs<Formula, Lane> && HasTally<Lane>::value;

// What every group of a band starts from: the band, its client, the formula, and the lanes the
// groups' points are made of.
template <class Formula, class Lane>
struct BandContext {
    const RenderBand* band;
    IRenderCallbackInterface* client;
    Formula formula;
    bool julia;
    // The lanes' distances from their group's first pixel, and from one group to the next.
    Lane offsets;
    Lane groupStep;
    // Julia start points are formed with lane operations, so that each product and sum rounds
    // to the element type on every processor.
    Lane juliaXMin;
    Lane juliaStepX;
    Lane juliaStepY;
    Lane juliaYMax;
};

// The orbit of the group at columns j, j+1, ... of row y. In Julia mode the power formulas start
// z at the pixel; lambda and exp(z) start z at c in both modes (their InitZ), so in Julia mode
// they start every pixel at the constant.
template <class Formula, class Lane>
ZORB_KERNEL_INLINE void StartOrbit(const BandContext<Formula, Lane>& context, OrbitState<Lane>& orbit, int32_t j, int32_t y,
                                   const Lane& column, const Lane& row)
{
    using E = typename Lane::Element;
    if (context.julia) {
        orbit.cRe = Lane(static_cast<E>(context.client->GetJuliaRe()));
        orbit.cIm = Lane(static_cast<E>(context.client->GetJuliaIm()));
        orbit.zRe = (context.juliaXMin + context.juliaStepX * Lane(static_cast<E>(j))) + context.offsets;
        orbit.zIm = context.juliaStepY * Lane(static_cast<E>(y)) - context.juliaYMax;
    } else {
        orbit.cRe = column;
        orbit.cIm = row;
    }
    context.formula.InitZ(orbit);
}

// Starts a group's orbit and settles it by the known-inside test or asks for its limit; false
// when there is nothing to iterate.
template <class Formula, class Lane>
ZORB_KERNEL_INLINE bool BeginGroup(const BandContext<Formula, Lane>& context, EscapeGroup<Formula, Lane>& group, int32_t j,
                                   int32_t y, const Lane& column, const Lane& row)
{
    StartOrbit(context, group.orbit, j, y, column, row);
    return group.Begin(context.formula, context.julia, context.client);
}

// Hands a finished group's pixels below colEnd to the client, lane 0 first; false once the
// render has been stopped. A group stopped in its loop hands over nothing.
template <class Formula, class Lane, class Finished>
ZORB_KERNEL_INLINE bool ReportGroup(const BandContext<Formula, Lane>& context, const Finished& group, int32_t j, int32_t y)
{
    constexpr int kWidth = Lane::kWidth;
    if constexpr (std::is_same_v<Finished, EscapeGroup<Formula, Lane>>) {
        if (group.stopped) {
            return false;
        }
    }
    const int32_t colEnd = context.band->colEnd;
    const int reported = colEnd - j < kWidth ? colEnd - j : kWidth;
    uint8_t indexes[kWidth];
    float smooth[kWidth];
    group.Colour(reported, context.client, indexes, smooth);
    for (int k = 0; k < reported; ++k) {
        context.client->SetPixel(static_cast<uint32_t>(j + k), static_cast<uint32_t>(y), indexes[k], smooth[k]);
    }
    return Lane::IsRenderRunning();
}

// One row, its groups begun and reported left to right: one at a time, or two side by side
// where the lane runs pairs and the row has room. False once the render has been stopped.
template <class Formula, class Lane>
ZORB_KERNEL_INLINE bool RenderRowGroupByGroup(const BandContext<Formula, Lane>& context, int32_t y, const Lane& row, Lane column)
{
    constexpr int kWidth = Lane::kWidth;
    using Group = EscapeGroup<Formula, Lane>;
    const int32_t colEnd = context.band->colEnd;
    for (int32_t j = context.band->colStart; j < colEnd;) {
        Group first;
        const bool firstRunning = BeginGroup(context, first, j, y, column, row);
        column += context.groupStep;
        if (!kRunsPairs<Formula, Lane> || j + kWidth >= colEnd) {
            RunGroup(context.formula, first, firstRunning);
            if (!ReportGroup(context, first, j, y)) {
                return false;
            }
            j += kWidth;
            continue;
        }
        Group second;
        const bool secondRunning = BeginGroup(context, second, j + kWidth, y, column, row);
        column += context.groupStep;
        RunGroupPair(context.formula, first, firstRunning, second, secondRunning);
        if (!ReportGroup(context, first, j, y) || !ReportGroup(context, second, j + kWidth, y)) {
            return false;
        }
        j += 2 * kWidth;
    }
    return true;
}

// Finished groups wait in a window of slots by column until every group left of them has been
// reported. A group is begun only while its slot is free, so a group that runs long while its
// neighbours run through the window holds the places back for a while; 512 slots hold a whole
// row of the window on screens up to 4096 pixels wide (float) or 2048 (double). On wider rows
// that wait can move a group's GetMaxIterations after SetPixel calls it would otherwise
// precede; the pixels, their order and every call's count and arguments stay the same, and the
// program's clients answer GetMaxIterations from what they fixed at the render's start, so
// nothing they do depends on that interleaving.
constexpr int32_t kReportWindow = 512;
static_assert((kReportWindow & (kReportWindow - 1)) == 0, "slots by column modulo the window");

// Begins the group at columns j, j+1, ... of row y: into place p when it needs iterating (true),
// otherwise settled at its start into its report slot (false). The same client calls as
// BeginGroup, and only what a run reads is written.
template <class Formula, class Lane>
ZORB_KERNEL_INLINE bool BeginPlace(const BandContext<Formula, Lane>& context, Places<Lane>& places, int p, int32_t n,
                                   int32_t j, int32_t y, const Lane& column, const Lane& row, GroupResult<Lane>& slot)
{
    using E = typename Lane::Element;
    using Count = typename Lane::Count;
    OrbitState<Lane> orbit;
    StartOrbit(context, orbit, j, y, column, row);
    if (IsKnownInsideAtStart(context.formula, context.julia, orbit)) {
        slot.knownInside = true;
        return false;
    }
    const Count limit = GroupLimit<Count>(context.client);
    if (limit == 0) {
        // Nothing to iterate: no count and no last value.
        slot.knownInside = false;
        slot.limit = 0;
        for (int k = 0; k < Lane::kWidth; ++k) {
            slot.counts[k] = 0;
            slot.last[k] = E(0);
        }
        return false;
    }
    StartPlace(places, p, n, orbit, limit);
    return true;
}

#define ZORB_KERNEL_INLINE_LAMBDA __attribute__((always_inline))

// One row with two or three of its groups in flight: three where the lane runs the formula's
// steps for three groups from its own code, two otherwise. A group that finishes gives its
// place to the row's next group, so that the groups' different lengths leave no place idle
// until the row runs out; finished groups are reported in column order, each followed by the
// stop check, and every finish checks the flag as well. False once the render has been stopped.
template <class Formula, class Lane>
ZORB_KERNEL_INLINE bool RenderRowInFlight(const BandContext<Formula, Lane>& context, GroupResult<Lane>* window, int32_t y,
                                          const Lane& row, Lane column)
{
    constexpr int kWidth = Lane::kWidth;
    constexpr bool kThree = HasPowerLoop<Formula, Lane>::value;
    constexpr int kPlaceCount = kThree ? 3 : 2;
    static_assert(kPlaceCount <= kMostPlaces, "the block holds every place");
    const int32_t colStart = context.band->colStart;
    const int32_t colEnd = context.band->colEnd;
    const int32_t groupsPerRow = colEnd > colStart ? (colEnd - colStart + kWidth - 1) / kWidth : 0;
    int32_t next = 0;
    int32_t reported = 0;
    Places<Lane> places;
    // The row's bookkeeping stays in lambdas over its locals: as functions over a struct of the
    // row's state, the 16000 x 16000 render at 50 iterations, whose runs are a few steps long,
    // took 5 to 10% longer.
    //
    // Reports the row's groups that are ready, in order; false once the render has been stopped.
    auto reportReady = [&]() ZORB_KERNEL_INLINE_LAMBDA {
        while (reported < next && window[reported & (kReportWindow - 1)].done) {
            if (!ReportGroup(context, window[reported & (kReportWindow - 1)], colStart + reported * kWidth, y)) {
                return false;
            }
            ++reported;
        }
        return Lane::IsRenderRunning();
    };
    // Puts the row's next group that needs iterating in place p, while the window has room;
    // groups settled at their start are finished on the way. False once the render has been
    // stopped.
    auto refill = [&](int p) ZORB_KERNEL_INLINE_LAMBDA {
        places.steps[p].active = false;
        while (next < groupsPerRow && next - reported < kReportWindow) {
            const int32_t n = next++;
            GroupResult<Lane>& slot = window[n & (kReportWindow - 1)];
            const bool running = BeginPlace(context, places, p, n, colStart + n * kWidth, y, column, row, slot);
            column += context.groupStep;
            slot.done = !running;
            if (running) {
                return true;
            }
            if (!reportReady()) {
                return false;
            }
        }
        return true;
    };
    // After a run: a finished group is reported and its place refilled, a group at the end of
    // its stretch goes on to the next, and a place left idle while the window was full takes
    // the next group once there is room.
    auto settle = [&](int p) ZORB_KERNEL_INLINE_LAMBDA {
        const PlaceSteps<Lane>& steps = places.steps[p];
        if (steps.active) {
            if (!steps.escaped && steps.steps < steps.limit) {
                return steps.steps < steps.stretchEnd || NextStretch(places, p);
            }
            GroupResult<Lane>& slot = window[steps.group & (kReportWindow - 1)];
            SaveResult(places, p, slot);
            slot.done = true;
            if (!reportReady()) {
                return false;
            }
        } else if (next >= groupsPerRow) {
            return true;
        }
        return refill(p);
    };

    for (int p = 0; p < kPlaceCount; ++p) {
        if (!refill(p)) {
            return false;
        }
    }
    for (;;) {
        // The places in use come first, so that fewer groups run in the first places.
        const auto active = [&](int p) ZORB_KERNEL_INLINE_LAMBDA { return p < kPlaceCount && places.steps[p].active; };
        if (!active(0) && active(2)) {
            SwapPlaces(places, 0, 2);
        }
        if (!active(0) && active(1)) {
            SwapPlaces(places, 0, 1);
        }
        if (!active(1) && active(2)) {
            SwapPlaces(places, 1, 2);
        }
        // One run, until one of the groups escapes, reaches its limit or the end of its
        // stretch.
        if (active(2)) {
            if constexpr (kThree) {
                RunThree(context.formula, places);
            }
        } else if (active(1)) {
            RunTwo(context.formula, places);
        } else if (active(0)) {
            RunOne(context.formula, places);
        } else {
            return true;
        }
        for (int p = 0; p < kPlaceCount; ++p) {
            if (!settle(p)) {
                return false;
            }
        }
    }
}

template <class Formula, class Lane>
ZORB_KERNEL_INLINE BandContext<Formula, Lane> MakeBandContext(const RenderBand* band, IRenderCallbackInterface* client,
                                                              const View* view)
{
    using E = typename Lane::Element;
    constexpr int kWidth = Lane::kWidth;
    E offsetValues[kWidth];
    for (int k = 0; k < kWidth; ++k) {
        offsetValues[k] = static_cast<E>(k * band->stepX);
    }
    BandContext<Formula, Lane> context{band, client, Formula(), false, Lane::Load(offsetValues),
                                       Lane(static_cast<E>(kWidth * band->stepX)), Lane(static_cast<E>(view->xMin)),
                                       Lane(static_cast<E>(view->stepX)), Lane(static_cast<E>(view->stepY)),
                                       Lane(static_cast<E>(view->yMax))};
    context.formula.Init();
    context.julia = client->IsJulia();
    return context;
}

// Renders one band, bottom row first. Pixel (x, y) stands for (xMin + x*stepX, y*stepY - yMax).
// Set mode builds the points by accumulation in the element type; Julia mode computes the
// start of each orbit directly. Returns at the first check that finds RenderRunningFlag clear.
template <class Formula, class Lane>
void RenderEscapeTime(const RenderBand* band, IRenderCallbackInterface* client)
{
    using E = typename Lane::Element;
    const View* view = client->GetView();
    Lane rowValue(static_cast<E>(band->rowEnd * band->stepY - view->yMax));
    const Lane rowStep(static_cast<E>(band->stepY));
    const E columnStart = static_cast<E>(band->colStart * band->stepX + view->xMin);
    const BandContext<Formula, Lane> context = MakeBandContext<Formula, Lane>(band, client, view);
    if (!Lane::IsRenderRunning()) {
        return;
    }
    // Left unset: only a row's own slots are written. The stack probe of the frame still commits
    // all of it, about 40 KB per worker thread.
    [[maybe_unused]] GroupResult<Lane> window[kRunsGroupsInFlight<Formula, Lane> ? kReportWindow : 1];
    for (int32_t y = band->rowEnd; y > band->rowStart; --y) {
        const Lane row(rowValue);
        const Lane column = Lane(columnStart) + context.offsets;
        bool running;
        if constexpr (kRunsGroupsInFlight<Formula, Lane>) {
            running = RenderRowInFlight(context, window, y, row, column);
        } else {
            running = RenderRowGroupByGroup(context, y, row, column);
        }
        if (!running) {
            return;
        }
        rowValue -= rowStep;
        if ((y & 15) == 0) {
            client->StepProgress();
        }
        if (!Lane::IsRenderRunning()) {
            return;
        }
    }
}

// The kernel of each formula, RenderLambda to RenderExp, the names the kernel tables take.
#define ZORB_DEFINE_KERNEL(Name)                                                          \
    template <class Lane>                                                                 \
    void Render##Name(const RenderBand* band, IRenderCallbackInterface* client)           \
    {                                                                                     \
        RenderEscapeTime<Name##Formula<Lane>, Lane>(band, client);                        \
    }
ZORB_FOR_EACH_FORMULA(ZORB_DEFINE_KERNEL)
#undef ZORB_DEFINE_KERNEL

} // namespace ZORB_KERNEL_NAMESPACE
