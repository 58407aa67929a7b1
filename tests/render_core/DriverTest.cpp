#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RecordingClient.h"
#include "render/RenderDriver.h"

namespace {

// Between a one-second wait and the clocks the driver and the test read.
constexpr double kClockSlack = 0.1;
// For a render that should end at once: generous for a busy machine, yet far from the
// minutes or the hang of the faults it is there for.
constexpr DWORD kPromptMs = 5000;
// For what a test waits for (a tick, a worker, a render's end): reached only by a fault.
constexpr DWORD kEventLimitMs = 60000;

double SecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct BandCase {
    const char* name;
    int height;
    int rowsPerBand;
    int bandsPerPass;
    int threads;
    int passes;
    // Rows (rowStart, rowEnd] of the bands in the order their workers start (with one thread).
    std::vector<std::pair<int, int>> startOrder;
};

class DriverBands : public ::testing::TestWithParam<BandCase> {};

TEST_P(DriverBands, CutsBandsIntoPassesAndStartsEachPassFromItsBottom) {
    const BandCase& c = GetParam();
    ClientSetup setup = Banded(37, c.height, c.rowsPerBand, c.bandsPerPass, c.threads);
    setup.formula = 0;
    setup.bandRunner = &LoggingBandRunner;
    RecordingClient client(setup);
    ClearStartedBands();

    ASSERT_TRUE(RenderAndWait(client));

    const std::vector<StartedBand> bands = StartedBands();
    std::vector<std::pair<int, int>> order;
    for (const StartedBand& band : bands) {
        order.emplace_back(band.rowStart, band.rowEnd);
        EXPECT_EQ(band.width, 37);
        EXPECT_EQ(band.height, c.height);
        EXPECT_EQ(band.colStart, 0);
        EXPECT_EQ(band.colEnd, 37);
        EXPECT_EQ(band.formula, 0);
        EXPECT_GE(band.slot, 0);
        EXPECT_LT(band.slot, c.threads);
        EXPECT_EQ(band.stepX, client.GetView()->stepX);
        EXPECT_EQ(band.stepY, client.GetView()->stepY);
    }
    // With several workers the bands of a pass start at once, in no order one can see; the
    // passes still follow one another.
    std::vector<std::pair<int, int>> expected = c.startOrder;
    if (c.threads > 1) {
        const size_t pass = static_cast<size_t>(std::max(1, c.bandsPerPass));
        for (auto* list : {&order, &expected}) {
            for (size_t first = 0; first < list->size(); first += pass) {
                std::sort(list->begin() + first, list->begin() + std::min(list->size(), first + pass));
            }
        }
    }
    EXPECT_EQ(order, expected);
    EXPECT_EQ(client.PassCompletes(), c.passes);
    EXPECT_EQ(client.RenderCompletes(), 1);
    // Each tick follows a second's wait for the pass: a render under a second has none. The
    // render's own time says how many it may have had, however slow the machine.
    EXPECT_LE(static_cast<double>(client.TickSeconds().size()), client.Seconds() + kClockSlack)
        << client.Seconds() << " s";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DriverBands,
    ::testing::Values(
        BandCase{"FourBandsOnePass", 1000, 300, 8, 4, 1, {{900, 1000}, {600, 900}, {300, 600}, {0, 300}}},
        BandCase{"TwoPassesOneThread", 1000, 300, 2, 1, 2, {{300, 600}, {0, 300}, {900, 1000}, {600, 900}}},
        BandCase{"WholeHeightIsOneBand", 50, 50, 4, 1, 1, {{0, 50}}},
        BandCase{"RowsBelowOneAreOne", 5, 0, 2, 2, 3, {{1, 2}, {0, 1}, {3, 4}, {2, 3}, {4, 5}}},
        BandCase{"NegativeRowsAreOne", 3, -7, 100, 3, 1, {{2, 3}, {1, 2}, {0, 1}}},
        BandCase{"BandsPerPassBelowOneIsOne", 4, 2, 0, 1, 2, {{0, 2}, {2, 4}}}),
    [](const ::testing::TestParamInfo<BandCase>& info) { return std::string(info.param.name); });

TEST(Driver, CallsTheClientInItsOrder) {
    ClientSetup setup = Banded(8, 10, 4, 2);
    RecordingClient client(setup);

    ASSERT_TRUE(RenderAndWait(client));

    const std::vector<std::string> band = {"GetView", "GetView", "GetWidth", "GetHeight", "GetWidth", "GetFormula"};
    std::vector<std::string> expected = {"GetWidth", "GetHeight", "PrepareRender", "GetBandsPerPass", "OnRenderStart"};
    expected.insert(expected.end(), band.begin(), band.end());
    expected.insert(expected.end(), band.begin(), band.end());
    expected.push_back("OnPassComplete");
    expected.insert(expected.end(), band.begin(), band.end());
    expected.push_back("OnPassComplete");
    expected.push_back("OnRenderComplete");
    EXPECT_EQ(client.DriverCalls(), expected);
}

// A worker's thread may take long to end after its band; the next band must not wait for
// that, only for the worker to have left the pool.
TEST(Driver, NextBandStartsWithoutWaitingForTheLastWorkerThreadToEnd) {
    ClientSetup setup = Banded(24, 40, 10, 2, 1);
    setup.formula = 2;
    setup.bandRunner = &LingeringBandRunner;
    RecordingClient client(setup);
    ResetLingeringWorkers();

    RenderInFlight render(client);
    ASSERT_TRUE(render);
    const bool ended = render.Wait(20000);
    ASSERT_TRUE(ReleaseLingeringWorkers(20000));
    ASSERT_TRUE(render.Wait(20000));
    EXPECT_TRUE(ended) << "the render waited for worker threads to end";
    EXPECT_EQ(client.PassCompletes(), 2);
    EXPECT_EQ(client.RenderCompletes(), 1);
    EXPECT_EQ(client.PixelsNeverSet(), 0);
    EXPECT_EQ(client.MaxTimesOnePixelSet(), 1);
}

// A client that throws out of a pass end leaves the render early, while the next pass's
// scheduler may already be waiting for its pass: no thread of the render may be left behind.
TEST(Driver, ClientThrowingAtAPassEndLeavesNoRenderThreadBehind) {
    ClientSetup setup = Banded(64, 40, 10, 1, 2);
    setup.throwAtFirstPassEnd = true;
    RecordingClient client(setup);
    const int threadsBefore = ProcessThreadCount();
    ASSERT_GT(threadsBefore, 0);

    ASSERT_TRUE(RenderAndWait(client, 20000));
    EXPECT_EQ(client.PassCompletes(), 1);
    EXPECT_EQ(client.RenderCompletes(), 0);
    EXPECT_TRUE(WaitForThreadCountAtMost(threadsBefore, 20000));
}

TEST(Driver, ClientThatSkipsPrepareStillRendersWithOneThread) {
    ClientSetup setup;
    setup.callPrepare = false; // stats stay zeroed: no thread count, no precision
    setup.rowsPerBand = 3;
    RecordingClient client(setup);

    ASSERT_TRUE(RenderAndWait(client, 10000));
    EXPECT_EQ(client.RenderCompletes(), 1);
    EXPECT_EQ(client.Stats().threadCount, 1);
    EXPECT_EQ(client.PixelsSet(), 0);
}

TEST(Driver, ReportsProgressTicksWhileAPassRunsSlowly) {
    ClientSetup setup = Banded(64, 20, 10, 100, 2);
    setup.bandRunner = &HoldingBandRunner;
    RecordingClient client(setup);
    ResetHeldWorkers();

    LARGE_INTEGER started;
    QueryPerformanceCounter(&started);
    RenderInFlight render(client);
    ASSERT_TRUE(render);
    ASSERT_TRUE(client.WaitForTicks(2, kEventLimitMs)) << "no two progress ticks while the pass was held";
    ReleaseHeldWorkers();
    ASSERT_TRUE(render.Wait(kEventLimitMs));
    const double wall = SecondsSince(started);

    // On a busy machine the pass may still be ending when the next second is up: a third
    // tick is no fault.
    const std::vector<uint64_t> times = client.TickTimes();
    const std::vector<int64_t> seconds = client.TickSeconds();
    ASSERT_GE(times.size(), 2u);
    for (size_t i = 1; i < times.size(); ++i) {
        EXPECT_GE(times[i] - times[i - 1], 900u) << "about one tick a second";
        EXPECT_LE(seconds[i - 1], seconds[i]);
    }
    EXPECT_EQ(client.PassCompletes(), 1);
    EXPECT_EQ(client.RenderCompletes(), 1);
    // In seconds, and no more than the test saw go by.
    EXPECT_GE(client.Seconds(), static_cast<double>(times.size()) - kClockSlack);
    EXPECT_LE(client.Seconds(), wall);
}

TEST(Driver, ReportedTimeLeavesOutPrepareWork) {
    ClientSetup setup;
    setup.prepareSleepMs = 800;
    RecordingClient client(setup);

    LARGE_INTEGER started;
    QueryPerformanceCounter(&started);
    ASSERT_TRUE(RenderAndWait(client));
    const double wall = SecondsSince(started);
    // The render's time lies within what the test saw go by, after the preparation.
    EXPECT_GE(client.Seconds(), 0.0);
    EXPECT_LE(client.Seconds(), wall - setup.prepareSleepMs / 1000.0 + kClockSlack)
        << "reported " << client.Seconds() << " s of " << wall << " s";
}

TEST(Driver, StopDuringAPassEndsItAndStillCompletesEveryPass) {
    ClientSetup setup = Banded(64, 40, 10, 2, 2);
    setup.bandRunner = &HoldingBandRunner;
    RecordingClient client(setup);
    ResetHeldWorkers();

    RenderInFlight render(client);
    ASSERT_TRUE(render);
    ASSERT_TRUE(client.WaitForTicks(1, kEventLimitMs)) << "no progress tick while the pass was held";
    RenderRunningFlag.exchange(false);
    const ULONGLONG stoppedAt = GetTickCount64();
    ASSERT_TRUE(render.Wait(kEventLimitMs));
    EXPECT_LT(GetTickCount64() - stoppedAt, kPromptMs);

    const std::vector<uint64_t> ticks = client.TickTimes();
    ASSERT_GE(ticks.size(), 1u);
    // A tick the driver had decided on as the flag was cleared may still come; no other.
    EXPECT_LE(std::count_if(ticks.begin(), ticks.end(), [&](uint64_t tick) { return tick > stoppedAt; }), 1)
        << "no progress tick once the flag is clear";
    EXPECT_EQ(client.PassCompletes(), 2);
    EXPECT_EQ(HeldWorkersStarted(), 2) << "the pass after the stop starts no worker threads";
    EXPECT_EQ(client.RenderCompletes(), 1);
    const std::vector<std::string> calls = client.DriverCalls();
    EXPECT_EQ(calls.back(), "OnRenderComplete");
}

struct StarterCase {
    const char* name;
    RenderThreadPool::ThreadStarter starter;
};

class DriverThreadFailure : public ::testing::TestWithParam<StarterCase> {};

TEST_P(DriverThreadFailure, BandsAreStillRenderedAndThePassEnds) {
    ClientSetup setup = Banded(30, 33, 4, 3, 2);
    setup.formula = 2;
    setup.starter = GetParam().starter;
    RecordingClient client(setup);

    ASSERT_TRUE(RenderAndWait(client, 20000));
    EXPECT_EQ(client.PassCompletes(), 3);
    EXPECT_EQ(client.RenderCompletes(), 1);
    EXPECT_EQ(client.PixelsNeverSet(), 0);
    EXPECT_EQ(client.MaxTimesOnePixelSet(), 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, DriverThreadFailure,
                         ::testing::Values(StarterCase{"NoThreadAtAll", &FailingStarter},
                                           StarterCase{"NoWorkerThread", &FailingWorkerStarter}),
                         [](const ::testing::TestParamInfo<StarterCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(WaitForRenderToFinish, WithoutAPassAnswersAtOnce) {
    // Steps of half a minute: waiting even one of them would show.
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(WaitForRenderToFinish(30000, 60000));
    EXPECT_FALSE(WaitForRenderToFinish(30000, 0));
    EXPECT_LT(GetTickCount64() - start, kPromptMs);
}

TEST(WaitForRenderToFinish, GivesUpOnAPassThatDoesNotEnd) {
    ClientSetup setup;
    setup.bandRunner = &HoldingBandRunner;
    RecordingClient client(setup);
    ResetHeldWorkers();
    RenderInFlight render(client);
    ASSERT_TRUE(render);
    // The pass is being scheduled.
    ASSERT_TRUE(WaitForHeldWorkers(1, kEventLimitMs)) << "no worker started";

    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(WaitForRenderToFinish(100, 500));
    const ULONGLONG waited = GetTickCount64() - start;
    // It gives up after its 500 ms, not when the pass ends (only once released, here).
    EXPECT_GE(waited, 450u);
    EXPECT_LT(waited, kPromptMs);

    ReleaseHeldWorkers();
    ASSERT_TRUE(render.Wait(kEventLimitMs));
    EXPECT_EQ(client.RenderCompletes(), 1);
}

TEST(WaitForRenderToFinish, SeesThePassEndAndLeavesTheSignalToTheDriver) {
    ClientSetup setup;
    setup.bandRunner = &HoldingBandRunner;
    RecordingClient client(setup);
    ResetHeldWorkers();
    RenderInFlight render(client);
    ASSERT_TRUE(render);
    ASSERT_TRUE(WaitForHeldWorkers(1, kEventLimitMs)) << "no worker started";

    RenderRunningFlag.exchange(false); // held workers go on as a kernel would: at once
    // Seen as it comes, not at the end of the wait's minute.
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(WaitForRenderToFinish(10, 60000));
    EXPECT_LT(GetTickCount64() - start, kPromptMs);

    // The driver still sees the pass end: had the signal been kept from it, it would wait on
    // for the rest of a stopped pass, for ever.
    ASSERT_TRUE(render.Wait(kEventLimitMs));
    EXPECT_EQ(client.PassCompletes(), 1);
    EXPECT_EQ(client.RenderCompletes(), 1);
}

TEST(WaitForRenderToFinish, GivesThePassEndBackWhenItTookItFromTheDriver) {
    // The driver is held in its progress tick, busy rather than waiting, when the pass ends.
    const KernelHandle tickGate(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(tickGate);
    ClientSetup setup;
    setup.bandRunner = &HoldingBandRunner;
    setup.tickGate = tickGate.get();
    RecordingClient client(setup);
    ResetHeldWorkers();
    RenderInFlight render(client);
    ASSERT_TRUE(render);
    ASSERT_TRUE(client.WaitForTicks(1, kEventLimitMs)) << "no progress tick while the pass was held";

    RenderRunningFlag.exchange(false);
    EXPECT_TRUE(WaitForRenderToFinish(10, 60000));
    EXPECT_EQ(client.RenderCompletes(), 0) << "the driver is still in its tick";
    SetEvent(tickGate.get());

    ASSERT_TRUE(render.Wait(kEventLimitMs)) << "the driver never saw the pass end";
    EXPECT_EQ(client.RenderCompletes(), 1);
}

} // namespace
