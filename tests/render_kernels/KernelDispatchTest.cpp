#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "KernelTestSupport.h"
#include "render/BuildConfig.h"
#include "render/Formula.h"
#include "render/KernelDispatch.h"
#include "render/RenderBand.h"
#include "render/RenderJob.h"
#include "render/RenderStats.h"
#include "render/RenderThreadPool.h"

namespace {

enum Family { kNone, kScalarFloat, kScalarDouble, kVectorFloat, kVectorDouble };

RenderStats Stats(bool useFloat, bool useDouble, bool simd, bool sse128, bool avx256)
{
    RenderStats stats;
    stats.useFloat = useFloat;
    stats.useDouble = useDouble;
    stats.simd = simd;
    stats.sse128 = sse128;
    stats.avx256 = avx256;
    stats.threadCount = 1;
    return stats;
}

struct DispatchCase {
    const char* name;
    RenderStats stats;
    Family avxBuild;
    Family sseBuild;
    Family scalarBuild;
};

const DispatchCase kDispatchCases[] = {
    {"ScalarFloat", Stats(true, false, false, false, false), kScalarFloat, kScalarFloat, kScalarFloat},
    {"ScalarDouble", Stats(false, true, false, false, false), kScalarDouble, kScalarDouble, kScalarDouble},
    {"FloatWins", Stats(true, true, false, false, false), kScalarFloat, kScalarFloat, kScalarFloat},
    {"NoPrecision", Stats(false, false, false, false, false), kNone, kNone, kNone},
    {"VectorFloat128", Stats(true, false, true, true, false), kNone, kVectorFloat, kScalarFloat},
    {"VectorDouble128", Stats(false, true, true, true, false), kNone, kVectorDouble, kScalarDouble},
    {"VectorFloat256", Stats(true, false, true, false, true), kVectorFloat, kNone, kScalarFloat},
    {"VectorDouble256", Stats(false, true, true, false, true), kVectorDouble, kNone, kScalarDouble},
    {"VectorWithoutWidth", Stats(true, false, true, false, false), kNone, kNone, kScalarFloat},
    {"VectorNoPrecision", Stats(false, false, true, true, true), kNone, kNone, kNone},
};

RenderKernel KernelOf(Family family, int formula)
{
    if (family == kNone) {
        return nullptr;
    }
    const std::vector<LaneKind> kinds = LaneKindsOfThisBuild();
    const size_t position = static_cast<size_t>(family - kScalarFloat);
    return position < kinds.size() ? kinds[position].Kernel(formula) : nullptr;
}

TEST(ChooseKernel, PicksTheFamilyTheFlagsAndTheBuildAllow)
{
    for (const DispatchCase& c : kDispatchCases) {
        SCOPED_TRACE(c.name);
        const Family expected = kBuildAvx ? c.avxBuild : kBuildSse2 ? c.sseBuild : c.scalarBuild;
        for (int formula = 1; formula <= Formula::Count; ++formula) {
            SCOPED_TRACE("formula " + std::to_string(formula));
            EXPECT_EQ(ChooseKernel(formula, c.stats), KernelOf(expected, formula));
            if (expected != kNone) {
                EXPECT_NE(ChooseKernel(formula, c.stats), nullptr);
            }
        }
    }
}

TEST(ChooseKernel, UnknownFormulaRunsNothing)
{
    for (const DispatchCase& c : kDispatchCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChooseKernel(0, c.stats), nullptr);
        EXPECT_EQ(ChooseKernel(6, c.stats), nullptr);
    }
}

// A job run on its own, as a worker runs it: through the pool's client.
KernelClient RunJob(int formula, RenderStats stats, const Scene& scene)
{
    KernelClient client(scene);
    RenderThreadPool pool;
    pool.stats = stats;
    pool.Init(1, &client);
    RenderJob job(new RenderBand(BandOf(scene)), formula);
    job.pool = &pool;
    job.stats = &pool.stats;
    const RunningFlagScope running;
    job.Run();
    return client;
}

Scene SmallScene()
{
    Scene scene;
    scene.view = MakeView(-2, 1, -1.3, 1.3, 11, 5);
    scene.colEnd = 11;
    scene.rowStart = 0;
    scene.rowEnd = 5;
    scene.maxIterations = 50;
    return scene;
}

TEST(RenderJobRun, RendersTheBandWithTheChosenKernel)
{
    const Scene scene = SmallScene();
    const RenderStats stats = Stats(false, true, false, false, false);
    for (int formula = 1; formula <= Formula::Count; ++formula) {
        SCOPED_TRACE("formula " + std::to_string(formula));
        const KernelClient viaJob = RunJob(formula, stats, scene);
        const KernelClient direct = RunKernel(KernelOf(kScalarDouble, formula), scene);
        EXPECT_EQ(viaJob.pixels, 55u);
        EXPECT_TRUE(SameEvents(direct.events, viaJob.events));
    }
}

TEST(RenderJobRun, UnknownFormulaOrNoKernelLeavesTheBandUntouched)
{
    const Scene scene = SmallScene();
    for (int formula : {0, 6, -1}) {
        const KernelClient client = RunJob(formula, Stats(true, false, false, false, false), scene);
        EXPECT_TRUE(client.events.empty());
        EXPECT_EQ(client.calls.getView, 0);
    }
    const KernelClient noPrecision = RunJob(2, Stats(false, false, false, false, false), scene);
    EXPECT_TRUE(noPrecision.events.empty());
}

} // namespace
