#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "DebugTextCapture.h"
#include "RecordingClient.h"
#include "render/BuildConfig.h"
#include "render/CpuProbe.h"
#include "render/Precision.h"
#include "render/Processors.h"
#include "render/RenderBand.h"
#include "render/RenderThreadPool.h"

namespace {

const char* const kFloatTooLow = "Precision is too low for float, trying double\n";
const char* const kRevert = "Had to revert to single threaded for precision\n";
const char* const kDoubleTooLow = "Precision is too low for double, nothing will be rendered\n";

// A width x height view whose four bounds start at `origin`, with one step for both axes.
View ViewAt(double origin, double step, int width, int height) {
    View view;
    view.xMin = origin;
    view.xMax = origin + width * step;
    view.yMin = origin;
    view.yMax = origin + height * step;
    view.UpdateSpans();
    view.stepX = step;
    view.stepY = step;
    return view;
}

RenderBand RequestFor(const View& view, int width, int height) {
    return RenderBand(width, height, 0, width, 0, 10, view.stepX, view.stepY);
}

struct Prepared {
    RenderStats stats;
    int bits;
};

Prepared PrepareFor(const View& view, int width, int height) {
    ClientSetup setup;
    setup.width = width;
    setup.height = height;
    RecordingClient client(setup, view);
    RenderBand request = RequestFor(view, width, height);
    RenderThreadPool pool;
    const int bits = RenderThreadPool::Prepare(&pool, &request, &client);
    return {pool.stats, bits};
}

TEST(PrecisionChecks, DefaultViewPassesInFloatWithManyThreads) {
    const View view = DefaultView(1000, 800);
    ClientSetup setup;
    RecordingClient client(setup, view);
    const RenderBand request = RequestFor(view, 1000, 800);
    EXPECT_TRUE(CheckFloatPrecision(&request, true, &client));
    EXPECT_TRUE(CheckFloatPrecision(&request, false, &client));
}

TEST(PrecisionChecks, TinyStepsNearOneFailFloatButPassDouble) {
    const View view = ViewAt(1.0, 1e-8, 1000, 1000);
    ClientSetup setup;
    RecordingClient client(setup, view);
    const RenderBand request = RequestFor(view, 1000, 1000);
    EXPECT_FALSE(CheckFloatPrecision(&request, false, &client)) << "1.0f + 1e-8f == 1.0f";
    EXPECT_FALSE(CheckFloatPrecision(&request, true, &client));
    EXPECT_TRUE(CheckDoublePrecision(&request, false, &client));
    EXPECT_TRUE(CheckDoublePrecision(&request, true, &client));
}

TEST(PrecisionChoice, DefaultViewRendersInFloat) {
    DebugTextCapture texts;
    const Prepared prepared = PrepareFor(DefaultView(1000, 800), 1000, 800);
    EXPECT_TRUE(prepared.stats.useFloat);
    EXPECT_FALSE(prepared.stats.useDouble);
    EXPECT_EQ(prepared.stats.threadCount, CountLogicalProcessors());
    EXPECT_EQ(texts.Count(kFloatTooLow), 0);
}

TEST(PrecisionChoice, DriftingDoubleFallsBackToOneThread) {
    if (CountLogicalProcessors() < 2) {
        GTEST_SKIP() << "needs more than one logical processor";
    }
    // Three quarters of an ulp of 1.0: each double addition moves a whole ulp, so the sum drifts
    // far past xMax, yet every bound plus one step is still a new number.
    const View view = ViewAt(1.0, 0.75 * DBL_EPSILON, 1000, 600);
    DebugTextCapture texts;
    const Prepared prepared = PrepareFor(view, 1000, 600);
    EXPECT_FALSE(prepared.stats.useFloat);
    EXPECT_TRUE(prepared.stats.useDouble);
    EXPECT_EQ(prepared.stats.threadCount, 1);
    EXPECT_EQ(texts.Count(kFloatTooLow), 1);
    EXPECT_EQ(texts.Count(kRevert), 1);
    EXPECT_EQ(texts.Count(kDoubleTooLow), 0);
}

TEST(PrecisionChoice, TooDeepEvenForDoubleStillRendersInDouble) {
    // A span of a few ulps over hundreds of pixels: bound + step == bound, and the summed steps
    // never leave xMin.
    View view = ViewAt(1.0, 0.0, 300, 200);
    view.xMax = view.yMax = 1.0 + 8 * DBL_EPSILON;
    view.stepX = (view.xMax - view.xMin) / 300;
    view.stepY = (view.yMax - view.yMin) / 200;
    DebugTextCapture texts;
    const Prepared prepared = PrepareFor(view, 300, 200);
    EXPECT_FALSE(prepared.stats.useFloat);
    EXPECT_TRUE(prepared.stats.useDouble);
    EXPECT_EQ(prepared.stats.threadCount, CountLogicalProcessors());
    EXPECT_EQ(texts.Count(kFloatTooLow), 1);
    EXPECT_EQ(texts.Count(kRevert), 0);
    EXPECT_EQ(texts.Count(kDoubleTooLow), 1);
}

TEST(PrecisionChoice, VectorFlagsFollowTheProbeOfThisBuild) {
    DebugTextCapture texts;
    const Prepared prepared = PrepareFor(DefaultView(640, 480), 640, 480);
    const RenderStats& stats = prepared.stats;
    if constexpr (kBuildScalar) {
        EXPECT_EQ(prepared.bits, 0);
        EXPECT_FALSE(stats.simd || stats.sse128 || stats.avx256);
        EXPECT_EQ(texts.Count("Detecting if support for SSE2 instructions exists\n"), 0);
        EXPECT_EQ(texts.Count("Detecting if support for AVX instructions exists\n"), 0);
        return;
    }
    EXPECT_EQ(prepared.bits, DetectSimdBits());
    EXPECT_LE(prepared.bits, SimdBitsCap());
    EXPECT_EQ(stats.simd, prepared.bits != 0);
    EXPECT_EQ(stats.sse128, prepared.bits == 128);
    EXPECT_EQ(stats.avx256, prepared.bits == 256);
    EXPECT_EQ(texts.Count(kBuildAvx ? "Detecting if support for AVX instructions exists\n"
                                    : "Detecting if support for SSE2 instructions exists\n"),
              1);
}

struct AccumulateCase {
    double start, end, step;
    int count;
    double floatDrift, doubleDrift;
};

TEST(AccumulateSteps, AddsOneStepAtATimeInItsPrecision) {
    const AccumulateCase cases[] = {
        {-2.0, 1.0, 0.003, 1000, 1.2874603271484375e-05, 3.4416913763379853e-14},
        {0.0, 1.0, 0.1, 10, 1.1920928955078125e-07, 1.1102230246251565e-16},
        {0.0, 0.0, 0.1, 9, 0.90000009536743164, 0.89999999999999991}, // one past a group of 8
        {16777216.0, 16777216.0, 1.0, 17, 0.0, 17.0},                 // float swallows the step
        {0.5, 2.0, 1.0, 0, 1.5, 1.5},
        {0.5, 2.0, 1.0, -4, 1.5, 1.5},
    };
    for (const AccumulateCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " + " << c.count << " x " << c.step);
        EXPECT_EQ(AccumulateStepsFloat(c.start, c.end, c.step, c.count), c.floatDrift);
        EXPECT_EQ(AccumulateStepsDouble(c.start, c.end, c.step, c.count), c.doubleDrift);
    }
}

TEST(CountSetBits, CountsAllSixtyFourBits) {
    const std::pair<uint64_t, int> cases[] = {
        {0, 0}, {1, 1}, {0xFF, 8}, {0x8000000000000000ull, 1}, {0x8000000000000001ull, 2},
        {0xFFFFFFFF00000000ull, 32}, {~0ull, 64}, {0x5555555555555555ull, 32},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CountSetBits(c.first), c.second) << std::hex << c.first;
    }
}

} // namespace
