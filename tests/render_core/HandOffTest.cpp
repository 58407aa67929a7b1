// Workers are started before their band may start and wait for it; these tests hold bands open
// to see that the hand-off keeps its bounds and that a worker that gets no band goes away.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <string>
#include <vector>

#include "RecordingClient.h"
#include "render/RenderDriver.h"

namespace {

constexpr DWORD kLimitMs = 20000;

// Bands that stay open until the test lets them go, one ReleaseSemaphore count each.
HANDLE gate = CreateSemaphoreA(nullptr, 0, 100000, nullptr);
std::atomic<int> inBand{0};
std::atomic<int> mostInBand{0};
std::atomic<int> bandsRun{0};

unsigned __stdcall GatedBand(void* job) {
    const int now = ++inBand;
    int most = mostInBand.load();
    while (now > most && !mostInBand.compare_exchange_weak(most, now)) {
    }
    WaitForSingleObject(gate, kLimitMs);
    ++bandsRun;
    // Counted out before the worker leaves the pool, so the next band cannot be counted early.
    --inBand;
    return RenderWorkerThread(job);
}

std::atomic<int> workerStarts{0};

HANDLE CountingStarter(RenderThreadPool::ThreadEntry entry, void* argument, unsigned* threadId) {
    HANDLE thread = RenderThreadPool::StartThread(entry, argument, threadId);
    if (thread && entry == &RenderParkedWorkerThread) {
        ++workerStarts;
    }
    return thread;
}

void ResetCounts() {
    while (WaitForSingleObject(gate, 0) == WAIT_OBJECT_0) {
    }
    inBand = 0;
    mostInBand = 0;
    bandsRun = 0;
    workerStarts = 0;
}

// One-row bands, as the large-picture saver cuts.
ClientSetup GatedRows(int height, int bandsPerPass, int threads) {
    ClientSetup setup = Banded(16, height, 1, bandsPerPass, threads);
    setup.bandRunner = &GatedBand;
    setup.starter = &CountingStarter;
    return setup;
}

struct BoundCase {
    const char* name;
    int threads;
    int height;
    int bandsPerPass;
};

class HandOffBound : public ::testing::TestWithParam<BoundCase> {};

// Workers wait ahead for every band; still no more bands compute at once than threads are
// allowed, and a band waits only while all of them are taken. Each band gets a thread of its
// own, and no thread is started that gets none.
TEST_P(HandOffBound, AtMostThreadCountBandsComputeAndEachBandHasItsOwnThread) {
    const BoundCase& c = GetParam();
    RecordingClient client(GatedRows(c.height, c.bandsPerPass, c.threads));
    ResetCounts();
    const int threadsBefore = ProcessThreadCount();
    HANDLE render = StartRender(client);
    ASSERT_NE(render, nullptr);

    for (int first = 0; first < c.height; first += c.bandsPerPass) {
        const int passBands = std::min(c.bandsPerPass, c.height - first);
        for (int released = 0; released < passBands; ++released) {
            const int expected = std::min(c.threads, passBands - released);
            ASSERT_TRUE(WaitUntil([&] { return inBand.load() >= expected; }, kLimitMs))
                << "band " << first + released << ": " << inBand.load() << " computing, " << expected << " expected";
            EXPECT_LE(inBand.load(), c.threads);
            ReleaseSemaphore(gate, 1, nullptr);
        }
    }
    ASSERT_TRUE(WaitAndClose(render, kLimitMs));
    EXPECT_EQ(mostInBand.load(), std::min(c.threads, c.bandsPerPass));
    EXPECT_EQ(bandsRun.load(), c.height);
    EXPECT_EQ(workerStarts.load(), c.height);
    EXPECT_EQ(client.PassCompletes(), (c.height + c.bandsPerPass - 1) / c.bandsPerPass);
    EXPECT_EQ(client.RenderCompletes(), 1);
    EXPECT_TRUE(WaitForThreadCountAtMost(threadsBefore, kLimitMs));
}

INSTANTIATE_TEST_SUITE_P(Cases, HandOffBound,
                         ::testing::Values(BoundCase{"OnePassManyBands", 3, 20, 20},
                                           BoundCase{"PassesOfThreadCountBands", 4, 14, 4},
                                           BoundCase{"ShortLastPass", 2, 12, 5},
                                           BoundCase{"OneThread", 1, 6, 2}),
                         [](const ::testing::TestParamInfo<BoundCase>& info) {
                             return std::string(info.param.name);
                         });

// While a pass computes, workers are waiting for the next one; a stop means no next pass, and
// those workers end without a band.
TEST(HandOff, WorkersStartedAheadEndWhenTheRenderIsStopped) {
    RecordingClient client(GatedRows(8, 2, 2));
    ResetCounts();
    const int threadsBefore = ProcessThreadCount();
    HANDLE render = StartRender(client);
    ASSERT_NE(render, nullptr);
    ASSERT_TRUE(WaitUntil([] { return inBand.load() == 2 && workerStarts.load() == 4; }, kLimitMs))
        << inBand.load() << " bands computing, " << workerStarts.load() << " workers started";

    RenderRunningFlag.exchange(false);
    ReleaseSemaphore(gate, 2, nullptr);
    ASSERT_TRUE(WaitAndClose(render, kLimitMs));
    EXPECT_EQ(bandsRun.load(), 2);
    EXPECT_EQ(workerStarts.load(), 4) << "no worker is started once the render is stopped";
    EXPECT_EQ(client.PassCompletes(), 4);
    EXPECT_EQ(client.RenderCompletes(), 1);
    EXPECT_TRUE(WaitForThreadCountAtMost(threadsBefore, kLimitMs));
}

// Renders of every cut, some stopped at a random moment: a render that runs to its end starts
// exactly one worker thread per band, and none of them is left once the renders are over.
TEST(HandOff, HundredsOfRendersLeaveNoThreadBehind) {
    {
        RecordingClient warmUp(ClientSetup{});
        ASSERT_TRUE(RenderAndWait(warmUp));
    }
    const int threadsBefore = ProcessThreadCount();
    ASSERT_GT(threadsBefore, 0);
    std::mt19937 random(20261210);
    for (int i = 0; i < 300; ++i) {
        ClientSetup setup;
        setup.width = std::uniform_int_distribution<int>(4, 40)(random);
        setup.height = std::uniform_int_distribution<int>(1, 40)(random);
        setup.threads = std::uniform_int_distribution<int>(1, 8)(random);
        const bool saverCut = std::uniform_int_distribution<int>(0, 1)(random) == 1;
        setup.rowsPerBand = saverCut ? 1 : std::uniform_int_distribution<int>(1, 12)(random);
        setup.bandsPerPass = saverCut ? setup.threads : std::uniform_int_distribution<int>(1, 10)(random);
        setup.formula = std::uniform_int_distribution<int>(0, 2)(random);
        setup.starter = &CountingStarter;
        const bool stop = std::uniform_int_distribution<int>(0, 2)(random) == 0;
        RecordingClient client(setup);
        workerStarts = 0;

        HANDLE render = StartRender(client);
        ASSERT_NE(render, nullptr);
        if (stop) {
            Sleep(std::uniform_int_distribution<int>(0, 3)(random));
            RenderRunningFlag.exchange(false);
        }
        ASSERT_TRUE(WaitAndClose(render, kLimitMs)) << "render " << i << " hangs";
        const int bands = (setup.height + setup.rowsPerBand - 1) / setup.rowsPerBand;
        EXPECT_EQ(client.RenderCompletes(), 1);
        EXPECT_EQ(client.PassCompletes(), (bands + setup.bandsPerPass - 1) / setup.bandsPerPass);
        if (stop) {
            EXPECT_LE(workerStarts.load(), bands + setup.threads) << "render " << i;
        } else {
            EXPECT_EQ(workerStarts.load(), bands) << "render " << i;
            EXPECT_EQ(client.PixelsNeverSet(), setup.formula == 0 ? setup.width * setup.height : 0);
        }
    }
    EXPECT_TRUE(WaitForThreadCountAtMost(threadsBefore, kLimitMs))
        << ProcessThreadCount() << " threads, " << threadsBefore << " before";
}

} // namespace
