#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "RecordingClient.h"
#include "render/RenderDriver.h"

// The driver with the kernels of this build behind RenderJob::Run.
namespace {

struct KernelCase {
    int formula;
    int threads;
    bool julia;
};

class DriverWithKernels : public ::testing::TestWithParam<KernelCase> {};

TEST_P(DriverWithKernels, DrawsEveryPixelOnceAndStepsProgressEverySixteenRows) {
    // 97 columns: not a multiple of any vector width.
    ClientSetup setup = Banded(97, 61, 7, 3, GetParam().threads);
    setup.formula = GetParam().formula;
    setup.julia = GetParam().julia;
    setup.maxIterations = 200;
    RecordingClient client(setup);

    ASSERT_TRUE(RenderAndWait(client));
    EXPECT_EQ(client.PixelsNeverSet(), 0);
    EXPECT_EQ(client.MaxTimesOnePixelSet(), 1);
    EXPECT_EQ(client.OutOfRangePixels(), 0);
    EXPECT_EQ(client.StepProgressCalls(), 3); // rows 16, 32 and 48
    EXPECT_EQ(client.PassCompletes(), 3);     // 9 bands, 3 a pass
    EXPECT_TRUE(client.Stats().useFloat);
}

INSTANTIATE_TEST_SUITE_P(Formulas, DriverWithKernels,
                         ::testing::Values(KernelCase{1, 1, false}, KernelCase{2, 3, false},
                                           KernelCase{3, 3, false}, KernelCase{4, 2, false},
                                           KernelCase{5, 3, false}, KernelCase{2, 3, true}),
                         [](const ::testing::TestParamInfo<KernelCase>& info) {
                             return "Formula" + std::to_string(info.param.formula) +
                                    (info.param.julia ? "Julia" : "") + "Threads" +
                                    std::to_string(info.param.threads);
                         });

TEST(DriverWithKernels, DeepViewRendersInDoubleEverywhere) {
    ClientSetup setup = Banded(50, 30, 5, 100);
    setup.formula = 2;
    View view;
    view.stepX = view.stepY = 1e-8;
    view.xMin = -0.75;
    view.xMax = view.xMin + setup.width * view.stepX;
    view.yMin = 0.1;
    view.yMax = view.yMin + setup.height * view.stepY;
    view.UpdateSpans();
    RecordingClient client(setup, view);

    ASSERT_TRUE(RenderAndWait(client));
    EXPECT_FALSE(client.Stats().useFloat);
    EXPECT_TRUE(client.Stats().useDouble);
    EXPECT_EQ(client.PixelsNeverSet(), 0);
    EXPECT_EQ(client.MaxTimesOnePixelSet(), 1);
}

TEST(DriverWithKernels, StopEndsARenderAtTheHighestLimit) {
    ClientSetup setup = Banded(200, 150, 10, 4);
    setup.formula = 3; // no known-inside shortcut: inside points run to the limit
    // Inside points would take seconds each to reach the limit: only the kernels' looks at the
    // flag inside their escape loops end the render.
    setup.maxIterations = ~uint64_t(0);
    RecordingClient client(setup);

    HANDLE render = StartRender(client);
    ASSERT_TRUE(WaitUntil([&] { return client.PixelsSet() > 0; }, 60000));
    RenderRunningFlag.exchange(false);
    // Far beyond the moment a stop takes, so that only a render that does not stop fails.
    ASSERT_TRUE(WaitAndClose(render, 60000));

    EXPECT_EQ(client.PassCompletes(), 4); // 15 bands, 4 a pass
    EXPECT_EQ(client.RenderCompletes(), 1);
    EXPECT_GT(client.PixelsNeverSet(), 0);
    EXPECT_LE(client.MaxTimesOnePixelSet(), 1);
}

} // namespace
