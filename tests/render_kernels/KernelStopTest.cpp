#include <windows.h>

#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "KernelTestSupport.h"

namespace {

// Far beyond any time a stop may take, so that only a kernel that does not stop fails, however
// busy the machine is.
constexpr DWORD kGenerousMs = 60000;

// Views whose every point stays inside the radius for ever, at the highest limit each counter
// holds: a group is never done, so only a look at the flag inside the escape loop ends the
// band. (exp(z) has no such view: its orbits leave the radius sooner or later.)
const KernelCase kNeverEscaping[] = {
    {"LambdaAttractingZero", 1, -0.2, 0.2, -0.2, 0.2, false, 0, 0, ~uint64_t(0), true, {0.5, 0.0}},
    // The period-3 bulb: outside the boxes of the known-inside test.
    {"Power2SetPeriod3Bulb", 2, -0.127, -0.118, 0.74, 0.749, false, 0, 0, ~uint64_t(0), true, kDefaultLambda},
    {"Power2JuliaAtZero", 2, -0.5, 0.5, -0.5, 0.5, true, 0, 0, ~uint64_t(0), false, kDefaultLambda},
    {"Power3Set", 3, -0.2, 0.2, -0.2, 0.2, false, 0, 0, ~uint64_t(0), true, kDefaultLambda},
    {"Power4Set", 4, -0.2, 0.2, -0.2, 0.2, false, 0, 0, ~uint64_t(0), true, kDefaultLambda},
};

// Says when the kernel has asked for the limit of its first group: it is then on its way into
// the escape loop.
class StartWatchingClient : public KernelClient {
public:
    explicit StartWatchingClient(const Scene& scene)
        : KernelClient(scene), asked_(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~StartWatchingClient() { CloseHandle(asked_); }
    StartWatchingClient(const StartWatchingClient&) = delete;
    StartWatchingClient& operator=(const StartWatchingClient&) = delete;

    uint64_t GetMaxIterations() override
    {
        const uint64_t limit = KernelClient::GetMaxIterations();
        SetEvent(asked_);
        return limit;
    }
    bool WaitUntilAsked(DWORD timeoutMs) const { return WaitForSingleObject(asked_, timeoutMs) == WAIT_OBJECT_0; }

private:
    HANDLE asked_;
};

struct KernelRun {
    RenderKernel kernel;
    const RenderBand* band;
    IRenderCallbackInterface* client;
};

DWORD WINAPI RunKernelThread(void* argument)
{
    const KernelRun* run = static_cast<const KernelRun*>(argument);
    run->kernel(run->band, run->client);
    return 0;
}

class KernelStopTest : public LaneKindTest {};

TEST_P(KernelStopTest, ClearingTheFlagEndsAGroupThatWouldRunForEver)
{
    const LaneKind& kind = GetParam();
    for (const KernelCase& c : kNeverEscaping) {
        SCOPED_TRACE(c.name);
        const LambdaScope lambda(c.lambda);
        const Scene scene = SceneOf(c, 37, 0, 3);
        StartWatchingClient client(scene);
        const RenderBand band = BandOf(scene);
        const RunningFlagScope running;
        KernelRun run{kind.Kernel(c.formula), &band, &client};
        const HANDLE thread = CreateThread(nullptr, 0, &RunKernelThread, &run, 0, nullptr);
        ASSERT_NE(thread, nullptr);

        ASSERT_TRUE(client.WaitUntilAsked(kGenerousMs));
        RenderRunningFlag.exchange(false);
        const bool ended = WaitForSingleObject(thread, kGenerousMs) == WAIT_OBJECT_0;
        if (!ended) {
            // The kernel never looks at the flag: nothing else would end it, and the next
            // case must not share the processor and the client with it.
            TerminateThread(thread, 1);
            WaitForSingleObject(thread, INFINITE);
        }
        CloseHandle(thread);
        ASSERT_TRUE(ended) << "the kernel went on after the flag was cleared";
        // No group came to its end: a group cut short by the stop hands over nothing, neither
        // colours made from its partial counts nor a progress step.
        EXPECT_TRUE(client.events.empty());
    }
}

ZORB_INSTANTIATE_FOR_LANE_KINDS(KernelStopTest);

} // namespace
