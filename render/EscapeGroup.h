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

// The most formula steps a group makes between two looks at RenderRunningFlag. Every loop of
// the kernel ends its stretch of steps there at the latest, so a stop is seen within this many
// steps of the slowest group (the exponential's library calls, eight lanes: milliseconds)
// whatever the iteration limit; a look costs one load per stretch.
constexpr uint64_t kStepsBetweenStopChecks = uint64_t(1) << 14;

// The 32-bit counters of the float lanes cannot count past 4294967295.
template <class Count>
Count CapIterationLimit(uint64_t limit)
{
    constexpr uint64_t kMax = static_cast<Count>(~Count(0));
    return static_cast<Count>(limit > kMax ? kMax : limit);
}

// Whether a group needs no iterating because the formula knows every pixel of it lies inside.
// The shortcut assumes z starts at 0 with c the pixel: set mode only.
template <class Formula, class Lane>
ZORB_KERNEL_INLINE bool IsKnownInsideAtStart(const Formula& formula, bool julia, const OrbitState<Lane>& orbit)
{
    return !julia && formula.IsKnownInside(orbit);
}

// The limit a group that needs iterating runs to, asked once per group.
template <class Count>
ZORB_KERNEL_INLINE Count GroupLimit(IRenderCallbackInterface* client)
{
    return CapIterationLimit<Count>(client->GetMaxIterations());
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

// Whether the lane runs the formula's loop for three groups from its own code.
template <class Formula, class Lane, class = void>
struct HasPowerLoop : std::false_type {};
template <class Formula, class Lane>
struct HasPowerLoop<Formula, Lane,
                    std::void_t<decltype(Formula::kPower), decltype(&Lane::template PowerLoopThree<Formula::kPower>)>>
    : std::true_type {};

template <class Lane, class = void>
struct HasTally : std::false_type {};
template <class Lane>
struct HasTally<Lane, std::void_t<decltype(Lane::TallyStart())>> : std::true_type {};

// The escape test and the formula step, written once for every loop of the C++ lanes below;
// the hand-written three-group loops of the 256-bit lanes (avx/PowerLoops.h) do the same
// operations in the same order, and the kernel tests hold them to these.

// |z|^2, with the squares left in the orbit for the formula step.
template <class Lane>
ZORB_KERNEL_INLINE Lane SizeSquared(OrbitState<Lane>& orbit)
{
    orbit.zReSq = orbit.zRe * orbit.zRe;
    orbit.zImSq = orbit.zIm * orbit.zIm;
    return orbit.zReSq + orbit.zImSq;
}

// The test with a tally: |z|^2 into `last` where the previous test was inside, then the lanes
// inside now counted and made the previous mask. False when none is inside.
template <class Lane>
ZORB_KERNEL_INLINE bool TallyTest(Lane sizeSq, Lane& last, Lane& tally)
{
    Lane::Select(tally, last, sizeSq);
    return Lane::TallyInside(sizeSq, tally);
}

// One formula step; the new real part moves into z.
template <class Formula, class Lane>
ZORB_KERNEL_INLINE void FormulaStep(const Formula& formula, OrbitState<Lane>& orbit)
{
    formula.Iterate(orbit);
    orbit.zRe = orbit.zReNext;
}

// The previous mask and the counters of a group. Lanes without a tally keep the mask and
// integer counters apart.
template <class Lane, bool = HasTally<Lane>::value>
class EscapeCount {
public:
    using Count = typename Lane::Count;
    static constexpr uint64_t kStepsPerStretch = kStepsBetweenStopChecks;

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
    static constexpr uint64_t kStepsPerStretch =
        Lane::kTallyStepsPerChunk < kStepsBetweenStopChecks ? Lane::kTallyStepsPerChunk : kStepsBetweenStopChecks;

    // The tally compares with the escape bound itself.
    ZORB_KERNEL_INLINE bool Test(Lane sizeSq, Lane& last, Lane) { return TallyTest(sizeSq, last, tally_); }
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

// Where the stretch of steps that begins at `steps` ends: the limit, or earlier where the count
// must leave the tally.
template <class Lane>
ZORB_KERNEL_INLINE typename Lane::Count StretchEndFrom(typename Lane::Count steps, typename Lane::Count limit)
{
    using Count = typename Lane::Count;
    constexpr uint64_t kStepsPerStretch = EscapeCount<Lane>::kStepsPerStretch;
    const Count left = limit - steps;
    return left > kStepsPerStretch ? static_cast<Count>(steps + kStepsPerStretch) : limit;
}

// What a finished group hands to the client: its counts and last |z|^2, or that it is known
// to lie inside.
template <class Lane>
struct GroupResult {
    using E = typename Lane::Element;
    using Count = typename Lane::Count;

    // Left unset until used: the kernel keeps a window of these on its stack, and clearing the
    // window for every band would cost more than the band's own slots.
    Count counts[Lane::kWidth];
    E last[Lane::kWidth];
    Count limit;
    bool knownInside;
    bool done;

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
        const ColourIndexFromCount<Count> toIndex(limit, client);
        for (int k = 0; k < reported; ++k) {
            indexes[k] = toIndex(counts[k]);
            smooth[k] = indexes[k] == kInsideColourIndex ? 0.0f : static_cast<float>(last[k]);
        }
    }
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
    // The render was stopped before the group was done: its counts are partial, and it must
    // not be reported.
    bool stopped = false;

    // Settles the group by the known-inside test, or asks for the limit it is to run to.
    // False when there is nothing to iterate.
    ZORB_KERNEL_INLINE bool Begin(const Formula& formula, bool julia, IRenderCallbackInterface* client)
    {
        knownInside = IsKnownInsideAtStart(formula, julia, orbit);
        if (knownInside) {
            return false;
        }
        limit = GroupLimit<Count>(client);
        stretchEnd = StretchEnd();
        return limit != 0;
    }

    ZORB_KERNEL_INLINE Count StretchEnd() const { return StretchEndFrom<Lane>(steps, limit); }

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
        if (!count.Test(SizeSquared(orbit), last, Lane(E(4)))) {
            escaped = true;
            return false;
        }
        return true;
    }

    ZORB_KERNEL_INLINE void Iterate(const Formula& formula) { FormulaStep(formula, orbit); }

    // One formula step. False at the end of the stretch.
    ZORB_KERNEL_INLINE bool Step(const Formula& formula)
    {
        Iterate(formula);
        return ++steps < stretchEnd;
    }

    // The end of a stretch: the next one is set up, unless the render has been stopped.
    // False when stopped.
    ZORB_KERNEL_INLINE bool NextStretch()
    {
        if (!Lane::IsRenderRunning()) {
            stopped = true;
            return false;
        }
        count.EndStretch();
        stretchEnd = StretchEnd();
        return true;
    }

    // After the loop stopped: true when the group is done or the render stopped, false when
    // it is to go on (its stretch ended, or its partner stopped) and the next stretch has been
    // set up.
    ZORB_KERNEL_INLINE bool Finished()
    {
        if (escaped || steps >= limit) {
            return true;
        }
        return !NextStretch();
    }

    ZORB_KERNEL_INLINE void Save(GroupResult<Lane>& out) const
    {
        out.knownInside = knownInside;
        out.limit = limit;
        if (!knownInside) {
            count.Store(out.counts);
            last.Store(out.last);
        }
    }

    // Colour index and smooth value of the first `reported` lanes.
    ZORB_KERNEL_INLINE void Colour(int reported, IRenderCallbackInterface* client, uint8_t* indexes, float* smooth) const
    {
        GroupResult<Lane> result;
        Save(result);
        result.Colour(reported, client, indexes, smooth);
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

// Two groups side by side from `steps` until one's test fails or the steps reach `end`: their
// dependency chains interleave, which hides the latency of the formula step that otherwise
// bounds the loop. Both make the same number of steps while they run together, so they share one
// step counter. A group whose test fails is finished; the step it still makes is never looked at.
// `settle(aSteps, aInside, bSteps, bInside)` is given each group's steps and whether it was still
// inside at its last test: when a test failed, the groups that passed theirs made one step more.
// It is called on each way out of the loop rather than after it: with the loop's results carried
// out in a record, the compiler copies the groups' registers about at every step.
template <class Formula, class Group, class Count, class Settle>
ZORB_KERNEL_INLINE void RunPairSteps(const Formula& formula, Group& a, Group& b, Count steps, Count end,
                                     const Settle& settle)
{
    for (;;) {
        const bool aInside = a.Test();
        a.Iterate(formula);
        const bool bInside = b.Test();
        b.Iterate(formula);
        if (!(aInside & bInside)) {
            settle(static_cast<Count>(steps + aInside), aInside, static_cast<Count>(steps + bInside), bInside);
            return;
        }
        if (++steps == end) {
            settle(steps, true, steps, true);
            return;
        }
    }
}

// Two groups of a row taken group by group, side by side while both run, then each alone to its
// own end.
template <class Formula, class Lane>
ZORB_KERNEL_INLINE void RunGroupPair(const Formula& formula, EscapeGroup<Formula, Lane>& a, bool aRunning,
                                     EscapeGroup<Formula, Lane>& b, bool bRunning)
{
    using Count = typename Lane::Count;
    a.Renew();
    b.Renew();
    if (aRunning && bRunning) {
        const Count end = a.stretchEnd < b.stretchEnd ? a.stretchEnd : b.stretchEnd;
        RunPairSteps(formula, a, b, a.steps, end, [&](Count aSteps, bool, Count bSteps, bool) {
            a.steps = aSteps;
            b.steps = bSteps;
        });
        aRunning = false;
        bRunning = false;
    }
    RunGroup(formula, a, aRunning);
    RunGroup(formula, b, bRunning);
}

// A row whose groups are handed out one after another (RenderRowInFlight) holds them in
// places. The places' loop state stays in one block, laid out as the runs below read and write
// it: a run loads its places' values, steps them, and stores them back, and a group is read
// from its place only when it finishes, and written only when it begins. Each place keeps its
// own step count; a run lasts until one of its groups escapes, reaches its limit or the end of
// its stretch. Lanes with a tally only.
constexpr int kMostPlaces = 3;

template <class Lane>
struct PlaceOrbit {
    Lane zRe;
    Lane zIm;
    Lane last;
    Lane tally;
};

template <class Lane>
struct PlaceSteps {
    using Count = typename Lane::Count;

    // The group's index in its row.
    int32_t group;
    Count limit;
    Count steps;
    Count stretchEnd;
    bool active;
    bool escaped;
    // Whether totals holds counts the tally handed on at the end of a stretch.
    bool stretched;
    Count totals[Lane::kWidth];
};

template <class Lane>
struct Places {
    // Each place's cRe then cIm, the points block of the lanes' three-group loops.
    Lane points[2 * kMostPlaces];
    PlaceOrbit<Lane> orbits[kMostPlaces];
    PlaceSteps<Lane> steps[kMostPlaces];
};

// Puts a begun group in place p: its point, its start z, and its limit, which is not 0.
template <class Lane>
ZORB_KERNEL_INLINE void StartPlace(Places<Lane>& places, int p, int32_t group, const OrbitState<Lane>& orbit,
                                   typename Lane::Count limit)
{
    places.points[2 * p] = orbit.cRe;
    places.points[2 * p + 1] = orbit.cIm;
    PlaceOrbit<Lane>& state = places.orbits[p];
    state.zRe = orbit.zRe;
    state.zIm = orbit.zIm;
    state.last = Lane();
    state.tally = Lane::TallyStart();
    PlaceSteps<Lane>& steps = places.steps[p];
    steps.group = group;
    steps.limit = limit;
    steps.steps = 0;
    steps.stretchEnd = StretchEndFrom<Lane>(0, limit);
    steps.active = true;
    steps.escaped = false;
    steps.stretched = false;
}

// The group in place p is neither escaped nor at its limit but at the end of its stretch: the
// tally hands its counts on and the next stretch is set up, unless the render has been
// stopped. False when stopped.
template <class Lane>
ZORB_KERNEL_INLINE bool NextStretch(Places<Lane>& places, int p)
{
    if (!Lane::IsRenderRunning()) {
        return false;
    }
    PlaceSteps<Lane>& steps = places.steps[p];
    if (!steps.stretched) {
        // Cleared here rather than where the group begins: most groups never get this far.
        for (int k = 0; k < Lane::kWidth; ++k) {
            steps.totals[k] = 0;
        }
        steps.stretched = true;
    }
    Lane::TallyAddTo(places.orbits[p].tally, steps.totals);
    steps.stretchEnd = StretchEndFrom<Lane>(steps.steps, steps.limit);
    return true;
}

// The finished group of place p, as the client is to be given it.
template <class Lane>
ZORB_KERNEL_INLINE void SaveResult(const Places<Lane>& places, int p, GroupResult<Lane>& out)
{
    const PlaceSteps<Lane>& steps = places.steps[p];
    out.knownInside = false;
    out.limit = steps.limit;
    Lane::TallyStore(places.orbits[p].tally, out.counts);
    if (steps.stretched) {
        for (int k = 0; k < Lane::kWidth; ++k) {
            out.counts[k] += steps.totals[k];
        }
    }
    places.orbits[p].last.Store(out.last);
}

template <class Lane>
ZORB_KERNEL_INLINE void SwapPlaces(Places<Lane>& places, int p, int q)
{
    std::swap(places.points[2 * p], places.points[2 * q]);
    std::swap(places.points[2 * p + 1], places.points[2 * q + 1]);
    std::swap(places.orbits[p], places.orbits[q]);
    std::swap(places.steps[p], places.steps[q]);
}

// A place's group copied into locals for a run, and given back when the run ends.
template <class Formula, class Lane>
struct GroupInFlight {
    using Count = typename Lane::Count;

    OrbitState<Lane> orbit;
    Lane last;
    Lane tally;

    ZORB_KERNEL_INLINE GroupInFlight(const Places<Lane>& places, int p)
    {
        const PlaceOrbit<Lane>& state = places.orbits[p];
        orbit.cRe = places.points[2 * p];
        orbit.cIm = places.points[2 * p + 1];
        orbit.zRe = state.zRe;
        orbit.zIm = state.zIm;
        last = state.last;
        tally = state.tally;
        ZORB_KERNEL_NAMESPACE::Renew(orbit.zRe);
        ZORB_KERNEL_NAMESPACE::Renew(orbit.zIm);
        ZORB_KERNEL_NAMESPACE::Renew(last);
        ZORB_KERNEL_NAMESPACE::Renew(tally);
    }
    // The group's end of the run: `steps` more formula steps, escaped when its last test failed.
    ZORB_KERNEL_INLINE void GiveBack(Places<Lane>& places, int p, Count steps, bool inside) const
    {
        PlaceOrbit<Lane>& state = places.orbits[p];
        state.zRe = orbit.zRe;
        state.zIm = orbit.zIm;
        state.last = last;
        state.tally = tally;
        places.steps[p].steps = static_cast<Count>(places.steps[p].steps + steps);
        places.steps[p].escaped = !inside;
    }
    ZORB_KERNEL_INLINE bool Test() { return TallyTest(SizeSquared(orbit), last, tally); }
    ZORB_KERNEL_INLINE void Iterate(const Formula& formula) { FormulaStep(formula, orbit); }
};

template <class Lane>
ZORB_KERNEL_INLINE typename Lane::Count StepsLeftInStretch(const Places<Lane>& places, int p)
{
    return static_cast<typename Lane::Count>(places.steps[p].stretchEnd - places.steps[p].steps);
}

// The group of place 0 alone, to its escape or the end of its stretch.
template <class Formula, class Lane>
ZORB_KERNEL_INLINE void RunOne(const Formula& formula, Places<Lane>& places)
{
    using Count = typename Lane::Count;
    GroupInFlight<Formula, Lane> a(places, 0);
    const Count end = StepsLeftInStretch(places, 0);
    Count steps = 0;
    for (;;) {
        if (!a.Test()) {
            a.GiveBack(places, 0, steps, false);
            return;
        }
        a.Iterate(formula);
        if (++steps == end) {
            a.GiveBack(places, 0, steps, true);
            return;
        }
    }
}

// The groups of places 0 and 1.
template <class Formula, class Lane>
ZORB_KERNEL_INLINE void RunTwo(const Formula& formula, Places<Lane>& places)
{
    using Count = typename Lane::Count;
    GroupInFlight<Formula, Lane> a(places, 0);
    GroupInFlight<Formula, Lane> b(places, 1);
    Count end = StepsLeftInStretch(places, 0);
    end = StepsLeftInStretch(places, 1) < end ? StepsLeftInStretch(places, 1) : end;
    RunPairSteps(formula, a, b, Count(0), end, [&](Count aSteps, bool aInside, Count bSteps, bool bInside) {
        a.GiveBack(places, 0, aSteps, aInside);
        b.GiveBack(places, 1, bSteps, bInside);
    });
}

// The groups of all three places: the formula step's latency is then hidden where two groups
// leave the processor idle. Only where the lane runs the formula's steps from its own code:
// three groups' orbits and tallies fill nine of the sixteen registers, and the compiler's own
// allocation spills the tallies, which puts a store and a reload on their chain. The loop reads
// the points from the block at every step, so that they take no register.
template <class Formula, class Lane>
ZORB_KERNEL_INLINE void RunThree(const Formula&, Places<Lane>& places)
{
    static_assert(HasPowerLoop<Formula, Lane>::value, "three groups only with the lane's own loop");
    using Count = typename Lane::Count;
    Count end = StepsLeftInStretch(places, 0);
    end = StepsLeftInStretch(places, 1) < end ? StepsLeftInStretch(places, 1) : end;
    end = StepsLeftInStretch(places, 2) < end ? StepsLeftInStretch(places, 2) : end;
    PlaceOrbit<Lane>* const orbits = places.orbits;
    uint64_t made = 0;
    const int failed = Lane::template PowerLoopThree<Formula::kPower>(
        orbits[0].zRe, orbits[0].zIm, orbits[0].last, orbits[0].tally, orbits[1].zRe, orbits[1].zIm, orbits[1].last,
        orbits[1].tally, orbits[2].zRe, orbits[2].zIm, orbits[2].last, orbits[2].tally, places.points, end, made);
    // At the end of the stretch all three made `made` steps. Otherwise the groups before the
    // one whose test failed made one more; the ones after it were not tested at that step and
    // go on from there.
    const int ahead = failed == Lane::kLoopEndReached ? 0 : failed;
    for (int p = 0; p < 3; ++p) {
        places.steps[p].steps = static_cast<Count>(places.steps[p].steps + made + (ahead > p ? 1 : 0));
        places.steps[p].escaped = failed == p;
    }
}

} // namespace ZORB_KERNEL_NAMESPACE
