#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#include "render/ColourIndexFromCount.h"
#include "render/IRenderCallbackInterface.h"
#include "render/KernelNamespace.h"
#include "render/OrbitState.h"

// Everything below is inlined into the kernel: the escape loop's state is only kept in
// registers when no part of it is reached through a pointer or copied as a whole.
#define ZORB_KERNEL_INLINE inline __attribute__((always_inline))

namespace ZORB_KERNEL_NAMESPACE {

// The 32-bit counters of the float lanes cannot count past 4294967295.
template <class Count>
Count CapIterationLimit(uint64_t limit)
{
    constexpr uint64_t kMax = static_cast<Count>(~Count(0));
    return static_cast<Count>(limit > kMax ? kMax : limit);
}

template <class Lane, class = void>
struct CanRenew : std::false_type {};
template <class Lane>
struct CanRenew<Lane, std::void_t<decltype(Lane::Renew(std::declval<Lane&>()))>> : std::true_type {};

template <class Lane>
ZORB_KERNEL_INLINE void Renew(Lane& lane)
{
    if constexpr (CanRenew<Lane>::value) {
        Lane::Renew(lane);
    }
}

template <class Lane, class = void>
struct HasTally : std::false_type {};
template <class Lane>
struct HasTally<Lane, std::void_t<decltype(Lane::TallyStart())>> : std::true_type {};

// The previous mask and the counters of a group. Lanes without a tally keep the mask and
// integer counters apart.
template <class Lane, bool = HasTally<Lane>::value>
class EscapeCount {
public:
    using Count = typename Lane::Count;
    static constexpr uint64_t kStepsPerStretch = ~uint64_t(0);

    // Records |z|^2 in `last` for the lanes that were inside at the previous test, then counts
    // the lanes inside now. False when none is.
    ZORB_KERNEL_INLINE bool Test(Lane sizeSq, Lane& last, Lane bound)
    {
        Lane::Select(previous_, last, sizeSq);
        const Lane inside = Lane::LessThan(sizeSq, bound);
        if (!Lane::UpdateCounts(inside, counts_)) {
            return false;
        }
        previous_ = inside;
        return true;
    }
    ZORB_KERNEL_INLINE void EndStretch() {}
    ZORB_KERNEL_INLINE void Store(Count* out) const { counts_.Store(out); }
    ZORB_KERNEL_INLINE void Renew() { ZORB_KERNEL_NAMESPACE::Renew(previous_); }

private:
    Lane previous_ = Lane::AllSet();
    typename Lane::Counter counts_;
};

// Lanes with a tally hold the previous mask and the count in one register; the count moves to
// integers at the end of each stretch of steps the tally counts exactly.
template <class Lane>
class EscapeCount<Lane, true> {
public:
    using Count = typename Lane::Count;
    static constexpr uint64_t kStepsPerStretch = Lane::kTallyStepsPerChunk;

    // The tally compares with the escape bound itself.
    ZORB_KERNEL_INLINE bool Test(Lane sizeSq, Lane& last, Lane)
    {
        Lane::Select(tally_, last, sizeSq);
        return Lane::TallyInside(sizeSq, tally_);
    }
    ZORB_KERNEL_INLINE void EndStretch()
    {
        stretched_ = true;
        Lane::TallyAddTo(tally_, totals_);
    }
    ZORB_KERNEL_INLINE void Renew() { ZORB_KERNEL_NAMESPACE::Renew(tally_); }
    ZORB_KERNEL_INLINE void Store(Count* out) const
    {
        Lane::TallyStore(tally_, out);
        if (stretched_) {
            for (int k = 0; k < Lane::kWidth; ++k) {
                out[k] += totals_[k];
            }
        }
    }

private:
    Lane tally_ = Lane::TallyStart();
    bool stretched_ = false;
    Count totals_[Lane::kWidth] = {};
};

// One group of adjacent pixels of a row on its way through the escape loop. Lanes that have
// left the radius are carried along: a lane whose orbit comes back inside is counted again,
// and its last |z|^2 follows it. The loop is split into its two halves, Test and Step, so
// that two groups can run side by side and each still ends exactly where it would alone.
template <class Formula, class Lane>
struct EscapeGroup {
    using E = typename Lane::Element;
    using Count = typename Lane::Count;

    OrbitState<Lane> orbit;
    EscapeCount<Lane> count;
    Lane last;
    Count limit = 0;
    Count steps = 0;
    // Where the current stretch of steps ends: the limit, or earlier where the count must
    // leave the tally.
    Count stretchEnd = 0;
    bool knownInside = false;
    bool escaped = false;

    // Settles the group by the known-inside test, or asks for the limit it is to run to.
    // False when there is nothing to iterate.
    ZORB_KERNEL_INLINE bool Begin(const Formula& formula, bool julia, IRenderCallbackInterface* client)
    {
        // The shortcut assumes z starts at 0 with c the pixel: set mode only.
        knownInside = !julia && formula.IsKnownInside(orbit);
        if (knownInside) {
            return false;
        }
        limit = CapIterationLimit<Count>(client->GetMaxIterations());
        stretchEnd = StretchEnd();
        return limit != 0;
    }

    ZORB_KERNEL_INLINE Count StretchEnd() const
    {
        const Count left = limit - steps;
        return left > EscapeCount<Lane>::kStepsPerStretch ? static_cast<Count>(steps + EscapeCount<Lane>::kStepsPerStretch)
                                                          : limit;
    }

    // Called where the loop starts, after the last client call before it.
    ZORB_KERNEL_INLINE void Renew()
    {
        ZORB_KERNEL_NAMESPACE::Renew(orbit.cRe);
        ZORB_KERNEL_NAMESPACE::Renew(orbit.cIm);
        ZORB_KERNEL_NAMESPACE::Renew(orbit.zRe);
        ZORB_KERNEL_NAMESPACE::Renew(orbit.zIm);
        ZORB_KERNEL_NAMESPACE::Renew(last);
        count.Renew();
    }

    // One escape test. False when no lane is inside any more: the group is finished.
    ZORB_KERNEL_INLINE bool Test()
    {
        orbit.zReSq = orbit.zRe * orbit.zRe;
        orbit.zImSq = orbit.zIm * orbit.zIm;
        if (!count.Test(orbit.zReSq + orbit.zImSq, last, Lane(E(4)))) {
            escaped = true;
            return false;
        }
        return true;
    }

    ZORB_KERNEL_INLINE void Iterate(const Formula& formula)
    {
        formula.Iterate(orbit);
        orbit.zRe = orbit.zReNext;
    }

    // One formula step. False at the end of the stretch.
    ZORB_KERNEL_INLINE bool Step(const Formula& formula)
    {
        Iterate(formula);
        return ++steps < stretchEnd;
    }

    // After the loop stopped: true when the group is done, false when it is to go on (its
    // stretch ended, or its partner stopped) and the next stretch has been set up.
    ZORB_KERNEL_INLINE bool Finished()
    {
        if (escaped || steps >= limit) {
            return true;
        }
        count.EndStretch();
        stretchEnd = StretchEnd();
        return false;
    }

    // Colour index and smooth value of the first `reported` lanes.
    ZORB_KERNEL_INLINE void Colour(int reported, IRenderCallbackInterface* client, uint8_t* indexes, float* smooth) const
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
        count.Store(countValues);
        last.Store(lastValues);
        const ColourIndexFromCount<Count> toIndex(limit, client);
        for (int k = 0; k < reported; ++k) {
            indexes[k] = toIndex(countValues[k]);
            smooth[k] = indexes[k] == kInsideColourIndex ? 0.0f : static_cast<float>(lastValues[k]);
        }
    }
};

template <class Formula, class Lane>
ZORB_KERNEL_INLINE void RunGroup(const Formula& formula, EscapeGroup<Formula, Lane>& group, bool running)
{
    if (!running && group.Finished()) {
        return;
    }
    group.Renew();
    do {
        while (group.Test() && group.Step(formula)) {
        }
    } while (!group.Finished());
}

// Two groups side by side: their dependency chains interleave, which hides the latency of the
// formula step that otherwise bounds the loop. Both have made the same number of steps while
// they run together, so they share one step counter. Each group stops at its own end.
template <class Formula, class Lane>
ZORB_KERNEL_INLINE void RunGroupPair(const Formula& formula, EscapeGroup<Formula, Lane>& a, bool aRunning,
                                     EscapeGroup<Formula, Lane>& b, bool bRunning)
{
    using Count = typename Lane::Count;
    a.Renew();
    b.Renew();
    if (aRunning && bRunning) {
        Count steps = a.steps;
        const Count end = a.stretchEnd < b.stretchEnd ? a.stretchEnd : b.stretchEnd;
        for (;;) {
            // A group whose test fails is finished; the step it still makes is never looked at.
            const bool aInside = a.Test();
            a.Iterate(formula);
            const bool bInside = b.Test();
            b.Iterate(formula);
            if (!(aInside & bInside)) {
                a.steps = steps + aInside;
                b.steps = steps + bInside;
                break;
            }
            if (++steps == end) {
                a.steps = steps;
                b.steps = steps;
                break;
            }
        }
        aRunning = false;
        bRunning = false;
    }
    RunGroup(formula, a, aRunning);
    RunGroup(formula, b, bRunning);
}

} // namespace ZORB_KERNEL_NAMESPACE
