#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#include "render/EscapeGroup.h"
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
// - Float8Lane and Double4Lane in 64-bit code: groups in flight, RenderRowsGroupsInFlight. For
//   z^2, z^3 and z^4 + c three at once through the lane's hand-written loop (RunThree,
//   avx/PowerLoops.h), for the lambda map two (RunTwo); fewer as the row runs out (RunTwo,
//   RunAlone).
// Every loop makes at most kStepsBetweenStopChecks steps between two looks at the stop flag.
#define ZORB_KERNEL_INLINE_LAMBDA __attribute__((always_inline))

namespace ZORB_KERNEL_NAMESPACE {

// The rows of a band with two or three groups of a row in flight. A group that finishes gives
// its place to the next group of the row, so that the groups' different lengths leave no place
// idle until the row runs out (pairs that start and end together wait for the longer one);
// finished groups are reported in column order, each followed by the stop check, and every
// finish checks the flag as well.
template <class Formula, class Lane, class Begin, class Report>
ZORB_KERNEL_INLINE void RenderRowsGroupsInFlight(const RenderBand* band, IRenderCallbackInterface* client, const Formula& formula, Lane rowValue,
                                                const Lane rowStep, const typename Lane::Element columnStart,
                                                const Lane offsets, const Lane groupStep, Begin& begin, Report& report)
{
    constexpr int kWidth = Lane::kWidth;
    using Group = EscapeGroup<Formula, Lane>;
    // The third place only where the lane runs three groups' steps from its own code.
    constexpr bool kUseThird = HasPowerLoop<Formula, Lane>::value;
    // Finished groups wait here, in slots by column, until every group left of them has been
    // reported. A group is begun only while its slot is free, so a group that runs long while
    // its neighbours run through the window holds the places back for a while; 512 slots hold
    // a whole row of the window on screens up to 4096 pixels wide (float) or 2048 (double).
    // On wider rows that wait can move a group's GetMaxIterations after SetPixel calls it would
    // otherwise precede; the pixels, their order and every call's count and arguments stay the
    // same, and the program's clients answer GetMaxIterations from what they fixed at the
    // render's start, so nothing they do depends on that interleaving.
    constexpr int32_t kWindow = 512;
    static_assert((kWindow & (kWindow - 1)) == 0, "slots by column modulo the window");
    GroupResult<Lane> results[kWindow];
    const int32_t groupsPerRow = band->colEnd > band->colStart ? (band->colEnd - band->colStart + kWidth - 1) / kWidth : 0;

    for (int32_t y = band->rowEnd; y > band->rowStart; --y) {
        const Lane row(rowValue);
        Lane column = Lane(columnStart) + offsets;
        int32_t next = 0;
        int32_t reported = 0;
        // Records a finished group and reports the row's groups that are ready, in order;
        // false once the render has been stopped.
        auto finish = [&](const Group& group, int32_t n) ZORB_KERNEL_INLINE_LAMBDA {
            GroupResult<Lane>& result = results[n & (kWindow - 1)];
            group.Save(result);
            result.done = true;
            while (reported < next && results[reported & (kWindow - 1)].done) {
                if (!report(results[reported & (kWindow - 1)], band->colStart + reported * kWidth, y)) {
                    return false;
                }
                ++reported;
            }
            return Lane::IsRenderRunning();
        };
        // Puts the row's next group that needs iterating in the place; groups settled at their
        // start are finished on the way. False once the render has been stopped.
        auto refill = [&](Group& group, int32_t& n, bool& active) ZORB_KERNEL_INLINE_LAMBDA {
            active = false;
            while (next < groupsPerRow && next - reported < kWindow) {
                n = next++;
                results[n & (kWindow - 1)].done = false;
                group.Reset();
                const bool running = begin(group, band->colStart + n * kWidth, y, column, row);
                column += groupStep;
                if (running) {
                    active = true;
                    return true;
                }
                if (!finish(group, n)) {
                    return false;
                }
            }
            return true;
        };
        // A place left idle while the window was full takes the next group once there is room.
        auto settle = [&](Group& group, int32_t& n, bool& active) ZORB_KERNEL_INLINE_LAMBDA {
            if (!active) {
                return next >= groupsPerRow || refill(group, n, active);
            }
            if (!group.Settle()) {
                return true;
            }
            return !group.stopped && finish(group, n) && refill(group, n, active);
        };

        Group a, b, c;
        int32_t na = 0, nb = 0, nc = 0;
        bool aActive = false, bActive = false, cActive = false;
        if (!refill(a, na, aActive) || !refill(b, nb, bActive) || (kUseThird && !refill(c, nc, cActive))) {
            return;
        }
        for (;;) {
            // The places in use come first, so that fewer groups run in the first places.
            if (!aActive && cActive) {
                std::swap(a, c);
                std::swap(na, nc);
                std::swap(aActive, cActive);
            }
            if (!aActive && bActive) {
                std::swap(a, b);
                std::swap(na, nb);
                std::swap(aActive, bActive);
            }
            if (!bActive && cActive) {
                std::swap(b, c);
                std::swap(nb, nc);
                std::swap(bActive, cActive);
            }
            if (cActive) {
                if constexpr (kUseThird) {
                    RunThree(formula, a, b, c);
                }
            } else if (bActive) {
                RunTwo(formula, a, b);
            } else if (aActive) {
                RunAlone(formula, a);
            } else {
                break;
            }
            if (!settle(a, na, aActive) || !settle(b, nb, bActive) || (kUseThird && !settle(c, nc, cActive))) {
                return;
            }
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

// Renders one band, bottom row first. Pixel (x, y) stands for (xMin + x*stepX, y*stepY - yMax).
// Set mode builds the points by accumulation in the element type; Julia mode computes the
// start of each orbit directly. Returns at the first check that finds RenderRunningFlag clear.
template <class Formula, class Lane>
void RenderEscapeTime(const RenderBand* band, IRenderCallbackInterface* client)
{
    using E = typename Lane::Element;
    constexpr int kWidth = Lane::kWidth;

    const View* view = client->GetView();
    const double stepX = band->stepX;
    Lane rowValue(static_cast<E>(band->rowEnd * band->stepY - view->yMax));
    const Lane rowStep(static_cast<E>(band->stepY));
    const E columnStart = static_cast<E>(band->colStart * stepX + view->xMin);
    E offsetValues[kWidth];
    for (int k = 0; k < kWidth; ++k) {
        offsetValues[k] = static_cast<E>(k * stepX);
    }
    const Lane offsets = Lane::Load(offsetValues);
    const Lane groupStep(static_cast<E>(kWidth * stepX));
    Formula formula;
    formula.Init();

    const bool julia = client->IsJulia();
    // Julia start points are formed with lane operations, so that each product and sum rounds
    // to the element type on every processor.
    const Lane juliaXMin(static_cast<E>(view->xMin));
    const Lane juliaStepX(static_cast<E>(view->stepX));
    const Lane juliaStepY(static_cast<E>(view->stepY));
    const Lane juliaYMax(static_cast<E>(view->yMax));

    using Group = EscapeGroup<Formula, Lane>;
    // Pairs pay where a step is a chain of inline vector operations and the registers hold two
    // groups' state: not around the exponential's library calls, nor in the eight vector
    // registers of 32-bit code.
    constexpr bool kPairs = kWidth > 1 && !std::is_same_v<Formula, ExpFormula<Lane>> && sizeof(void*) == 8;
    // Places that take the row's next group as one finishes, where the group's loop state is
    // small enough (the tally lanes) that copies of it for the run stay in registers.
    constexpr bool kGroupsInFlight = kPairs && HasTally<Lane>::value;
    // Starts a group's orbit. In Julia mode the power formulas start z at the pixel; lambda
    // and exp(z) start z at c in both modes (their InitZ), so in Julia mode they start every
    // pixel at the constant.
    auto begin = [&](Group& group, int32_t j, int32_t y, const Lane& column, const Lane& row) ZORB_KERNEL_INLINE_LAMBDA {
        OrbitState<Lane>& orbit = group.orbit;
        if (julia) {
            orbit.cRe = Lane(static_cast<E>(client->GetJuliaRe()));
            orbit.cIm = Lane(static_cast<E>(client->GetJuliaIm()));
            orbit.zRe = (juliaXMin + juliaStepX * Lane(static_cast<E>(j))) + offsets;
            orbit.zIm = juliaStepY * Lane(static_cast<E>(y)) - juliaYMax;
            formula.InitZ(orbit);
        } else {
            orbit.cRe = column;
            orbit.cIm = row;
            formula.InitZ(orbit);
        }
        return group.Begin(formula, julia, client);
    };
    // Hands the group's pixels below colEnd to the client, lane 0 first; false once the render
    // has been stopped. A group stopped in its loop hands over nothing.
    auto report = [&](const auto& group, int32_t j, int32_t y) ZORB_KERNEL_INLINE_LAMBDA {
        if constexpr (std::is_same_v<std::decay_t<decltype(group)>, Group>) {
            if (group.stopped) {
                return false;
            }
        }
        const int reported = band->colEnd - j < kWidth ? band->colEnd - j : kWidth;
        uint8_t indexes[kWidth];
        float smooth[kWidth];
        group.Colour(reported, client, indexes, smooth);
        for (int k = 0; k < reported; ++k) {
            client->SetPixel(static_cast<uint32_t>(j + k), static_cast<uint32_t>(y), indexes[k], smooth[k]);
        }
        return Lane::IsRenderRunning();
    };

    if (!Lane::IsRenderRunning()) {
        return;
    }
    if constexpr (kGroupsInFlight) {
        RenderRowsGroupsInFlight(band, client, formula, rowValue, rowStep, columnStart, offsets, groupStep, begin, report);
        return;
    }
    for (int32_t y = band->rowEnd; y > band->rowStart; --y) {
        const Lane row(rowValue);
        Lane column = Lane(columnStart) + offsets;
        for (int32_t j = band->colStart; j < band->colEnd;) {
            Group first;
            const bool firstRunning = begin(first, j, y, column, row);
            column += groupStep;
            // Vector groups run in pairs where the row has room; scalar lanes stay one pixel
            // at a time.
            if (!kPairs || j + kWidth >= band->colEnd) {
                RunGroup(formula, first, firstRunning);
                if (!report(first, j, y)) {
                    return;
                }
                j += kWidth;
                continue;
            }
            Group second;
            const bool secondRunning = begin(second, j + kWidth, y, column, row);
            column += groupStep;
            RunGroupPair(formula, first, firstRunning, second, secondRunning);
            if (!report(first, j, y) || !report(second, j + kWidth, y)) {
                return;
            }
            j += 2 * kWidth;
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

template <class Lane>
void RenderLambda(const RenderBand* band, IRenderCallbackInterface* client)
{
    RenderEscapeTime<LambdaFormula<Lane>, Lane>(band, client);
}

template <class Lane>
void RenderPower2(const RenderBand* band, IRenderCallbackInterface* client)
{
    RenderEscapeTime<Power2Formula<Lane>, Lane>(band, client);
}

template <class Lane>
void RenderPower3(const RenderBand* band, IRenderCallbackInterface* client)
{
    RenderEscapeTime<Power3Formula<Lane>, Lane>(band, client);
}

template <class Lane>
void RenderPower4(const RenderBand* band, IRenderCallbackInterface* client)
{
    RenderEscapeTime<Power4Formula<Lane>, Lane>(band, client);
}

template <class Lane>
void RenderExp(const RenderBand* band, IRenderCallbackInterface* client)
{
    RenderEscapeTime<ExpFormula<Lane>, Lane>(band, client);
}

} // namespace ZORB_KERNEL_NAMESPACE
