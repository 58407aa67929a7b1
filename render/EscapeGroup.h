#pragma once

#include <cstdint>

#include "render/ColourIndexFromCount.h"
#include "render/IRenderCallbackInterface.h"
#include "render/KernelNamespace.h"
#include "render/OrbitState.h"

namespace ZORB_KERNEL_NAMESPACE {

// The 32-bit counters of the float lanes cannot count past 4294967295.
template <class Count>
Count CapIterationLimit(uint64_t limit)
{
    constexpr uint64_t kMax = static_cast<Count>(~Count(0));
    return static_cast<Count>(limit > kMax ? kMax : limit);
}

// One group of adjacent pixels of a row on its way through the escape loop. Lanes that have
// left the radius are carried along: a lane whose orbit comes back inside is counted again,
// and its last |z|^2 follows it. The loop is split into its two halves, Test and Step, so
// that two groups can run side by side and each still ends exactly where it would alone.
template <class Formula, class Lane>
struct EscapeGroup {
    using E = typename Lane::Element;
    using Count = typename Lane::Count;

    OrbitState<Lane> orbit;
    typename Lane::Counter counts;
    Lane last;
    Lane previous = Lane::AllSet();
    Count limit = 0;
    Count steps = 0;
    bool knownInside = false;

    // Settles the group by the known-inside test, or asks for the limit it is to run to.
    // False when there is nothing to iterate.
    bool Begin(const Formula& formula, bool julia, IRenderCallbackInterface* client)
    {
        // The shortcut assumes z starts at 0 with c the pixel: set mode only.
        knownInside = !julia && formula.IsKnownInside(orbit);
        if (knownInside) {
            return false;
        }
        limit = CapIterationLimit<Count>(client->GetMaxIterations());
        return limit != 0;
    }

    // One escape test. False when no lane is inside any more: the group is finished.
    bool Test()
    {
        orbit.zReSq = orbit.zRe * orbit.zRe;
        orbit.zImSq = orbit.zIm * orbit.zIm;
        const Lane sizeSq = orbit.zReSq + orbit.zImSq;
        Lane::Select(previous, last, sizeSq);
        const Lane inside = Lane::LessThan(sizeSq, Lane(E(4)));
        if (!Lane::UpdateCounts(inside, counts)) {
            return false;
        }
        previous = inside;
        return true;
    }

    // One formula step. False when the limit is reached: the group is finished.
    bool Step(const Formula& formula)
    {
        formula.Iterate(orbit);
        orbit.zRe = orbit.zReNext;
        return ++steps < limit;
    }

    // Colour index and smooth value of the first `reported` lanes.
    void Colour(int reported, IRenderCallbackInterface* client, uint8_t* indexes, float* smooth) const
    {
        if (knownInside) {
            for (int k = 0; k < reported; ++k) {
                indexes[k] = kInsideColourIndex;
                smooth[k] = 0.0f;
            }
            return;
        }
        Count countValues[Lane::kWidth];
        E lastValues[Lane::kWidth];
        counts.Store(countValues);
        last.Store(lastValues);
        const ColourIndexFromCount<Count> toIndex(limit, client);
        for (int k = 0; k < reported; ++k) {
            indexes[k] = toIndex(countValues[k]);
            smooth[k] = indexes[k] == kInsideColourIndex ? 0.0f : static_cast<float>(lastValues[k]);
        }
    }
};

// The loops work on copies held in locals, which the compiler keeps in registers; the group
// objects themselves live in memory.
template <class Formula, class Lane>
void RunGroup(const Formula& formula, EscapeGroup<Formula, Lane>& group, bool running)
{
    if (!running) {
        return;
    }
    EscapeGroup<Formula, Lane> local = group;
    while (local.Test() && local.Step(formula)) {
    }
    group = local;
}

// Two groups side by side: their dependency chains interleave, which hides the latency of the
// formula step that otherwise bounds the loop. Each group stops at its own end.
template <class Formula, class Lane>
void RunGroupPair(const Formula& formula, EscapeGroup<Formula, Lane>& first, bool firstRunning,
                  EscapeGroup<Formula, Lane>& second, bool secondRunning)
{
    if (firstRunning && secondRunning) {
        EscapeGroup<Formula, Lane> a = first;
        EscapeGroup<Formula, Lane> b = second;
        for (;;) {
            const bool aInside = a.Test();
            const bool bInside = b.Test();
            if (!aInside || !bInside) {
                firstRunning = aInside && a.Step(formula);
                secondRunning = bInside && b.Step(formula);
                break;
            }
            firstRunning = a.Step(formula);
            secondRunning = b.Step(formula);
            if (!firstRunning || !secondRunning) {
                break;
            }
        }
        first = a;
        second = b;
    }
    RunGroup(formula, first, firstRunning);
    RunGroup(formula, second, secondRunning);
}

} // namespace ZORB_KERNEL_NAMESPACE
