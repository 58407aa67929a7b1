#include <gtest/gtest.h>

#include <windows.h>
#include <process.h>

#include <atomic>
#include <memory>
#include <random>
#include <vector>

#include "RecordingClient.h"
#include "render/RenderDriver.h"

namespace {

constexpr int kRenders = 200;

// Open handles of the process. Wine answers GetProcessHandleCount with 0, so there the handle
// table is probed: handle values are multiples of 4, and a new handle takes the lowest free one.
DWORD OpenHandleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) {
        return count;
    }
    DWORD flags;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    }
    return count;
}

unsigned __stdcall KeepWaiting(void* stop) {
    auto* done = static_cast<std::atomic<bool>*>(stop);
    while (!done->load()) {
        WaitForRenderToFinish(1, 2);
    }
    return 0;
}

ClientSetup RandomSetup(std::mt19937& random) {
    ClientSetup setup;
    setup.width = std::uniform_int_distribution<int>(8, 160)(random);
    setup.height = std::uniform_int_distribution<int>(1, 60)(random);
    setup.rowsPerBand = std::uniform_int_distribution<int>(4, 30)(random);
    setup.bandsPerPass = std::uniform_int_distribution<int>(1, 8)(random);
    setup.threads = std::uniform_int_distribution<int>(1, 8)(random);
    setup.formula = std::uniform_int_distribution<int>(0, 5)(random);
    setup.maxIterations = std::uniform_int_distribution<uint64_t>(10, 200000)(random);
    return setup;
}

int ExpectedPasses(const ClientSetup& setup) {
    const int bands = (setup.height + setup.rowsPerBand - 1) / setup.rowsPerBand;
    return (bands + setup.bandsPerPass - 1) / setup.bandsPerPass;
}

// Renders started and stopped at random moments, sometimes two at once (the window and the
// large-picture saver), while another thread keeps waiting for whatever pass is scheduled.
TEST(DriverStress, HundredsOfStoppedRendersEndCleanlyAndLeakNoHandle) {
    {
        RecordingClient warmUp(ClientSetup{});
        ASSERT_TRUE(RenderAndWait(warmUp));
    }
    std::atomic<bool> stopWaiting{false};
    HANDLE waiter = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &KeepWaiting, &stopWaiting, 0, nullptr));
    ASSERT_NE(waiter, nullptr);
    Sleep(10);
    const DWORD handlesBefore = OpenHandleCount();
    ASSERT_GT(handlesBefore, 0u);

    std::mt19937 random(20240611);
    int overlapping = 0;
    for (int i = 0; i < kRenders; ++i) {
        const bool two = std::uniform_int_distribution<int>(0, 9)(random) == 0;
        std::vector<std::unique_ptr<RecordingClient>> clients;
        std::vector<HANDLE> threads;
        for (int k = 0; k < (two ? 2 : 1); ++k) {
            clients.push_back(std::make_unique<RecordingClient>(RandomSetup(random)));
            threads.push_back(StartRender(*clients.back()));
            ASSERT_NE(threads.back(), nullptr);
        }
        overlapping += two;
        Sleep(std::uniform_int_distribution<int>(0, 6)(random));
        RenderRunningFlag.exchange(false);
        if (std::uniform_int_distribution<int>(0, 1)(random)) {
            WaitForRenderToFinish(1, 10);
        }
        for (size_t k = 0; k < threads.size(); ++k) {
            ASSERT_TRUE(WaitAndClose(threads[k], 20000)) << "render " << i << " hangs";
            EXPECT_EQ(clients[k]->RenderCompletes(), 1);
            EXPECT_EQ(clients[k]->PassCompletes(), ExpectedPasses(clients[k]->Setup()));
            EXPECT_LE(clients[k]->MaxTimesOnePixelSet(), 1);
            EXPECT_EQ(clients[k]->OutOfRangePixels(), 0);
        }
    }

    const DWORD handlesAfter = OpenHandleCount();
    stopWaiting = true;
    ASSERT_EQ(WaitForSingleObject(waiter, 10000), WAIT_OBJECT_0);
    CloseHandle(waiter);
    EXPECT_GT(overlapping, 0);
    // Each render opens several thread handles; a leak would show hundreds.
    EXPECT_LE(handlesAfter, handlesBefore + 4) << "before " << handlesBefore << ", after " << handlesAfter;
}

} // namespace
