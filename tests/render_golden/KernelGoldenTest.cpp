#include <windows.h>
#include <process.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GoldenData.h"
#include "tests/render_kernels/KernelTestSupport.h"

namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 30;
const double kDefaultY = static_cast<double>(1.3f);

// Every formula in both modes, with colourings, limits and constants that reach escapes,
// insides, the known-inside shortcut and orbits that come back; and views deep enough that
// float pictures depend on every rounding.
const KernelCase kScenes[] = {
    {"LambdaSet", 1, -0.5, 1.5, -1, 1, false, 0, 0, 100, true, kDefaultLambda},
    {"LambdaOtherConstant", 1, -0.5, 1.5, -1, 1, false, 0, 0, 100, false, {0.85, 0.6}},
    {"LambdaJulia", 1, -0.5, 1.5, -1, 1, true, 0.3, 0.2, 100, true, kDefaultLambda},
    {"Power2Default", 2, -2, 1, -kDefaultY, kDefaultY, false, 0, 0, 256, false, kDefaultLambda},
    {"Power2Seahorse", 2, -0.7456, -0.7416, 0.1303, 0.1333, false, 0, 0, 600, true, kDefaultLambda},
    {"Power2Julia", 2, -1.6, 1.6, -1.2, 1.2, true, -0.8, 0.156, 300, true, kDefaultLambda},
    {"Power2JuliaDeep", 2, 0.0312, 0.0352, 0.6004, 0.6034, true, -0.8, 0.156, 500, false, kDefaultLambda},
    {"Power2JuliaLargeConstant", 2, -2, 2, -2, 2, true, -2.1, 0.3, 30, true, kDefaultLambda},
    {"Power3Set", 3, -1.5, 1.5, -1.5, 1.5, false, 0, 0, 100, true, kDefaultLambda},
    {"Power3Julia", 3, -1.5, 1.5, -1.5, 1.5, true, 0.4, 0.1, 100, false, kDefaultLambda},
    {"Power4Set", 4, -1.3, 1.3, -1.3, 1.3, false, 0, 0, 100, false, kDefaultLambda},
    {"Power4Julia", 4, -1.3, 1.3, -1.3, 1.3, true, 0.5, 0.5, 100, true, kDefaultLambda},
    {"ExpSet", 5, -2, 4, -3, 3, false, 0, 0, 40, true, kDefaultLambda},
    {"ExpJulia", 5, -2, 4, -3, 3, true, 1, 1, 40, false, kDefaultLambda},
};

// Colour index and smooth value bits of every pixel, row by row from the top; a pixel the
// kernel never reported reads "missing".
std::vector<std::string> RenderScene(const LaneKind& kind, const KernelCase& g)
{
    const LambdaScope lambda(g.lambda);
    const KernelClient client = RunKernel(kind.Kernel(g.formula), SceneOf(g, kWidth, 0, kHeight));

    std::vector<std::string> pixels(kWidth * kHeight, "missing");
    for (const KernelEvent& e : client.events) {
        if (e.progress || e.x >= uint32_t(kWidth) || e.y < 1 || e.y > uint32_t(kHeight)) {
            continue;
        }
        char index[4];
        std::snprintf(index, sizeof index, "%02x", e.index);
        pixels[(e.y - 1) * kWidth + e.x] = std::string(index) + "." + HexBits(e.smooth);
    }
    return pixels;
}

GoldenEntries RenderAllScenes(const LaneKind& kind)
{
    GoldenEntries entries;
    for (const KernelCase& g : kScenes) {
        entries.emplace_back(g.name, RenderScene(kind, g));
    }
    return entries;
}

std::string FileOf(const LaneKind& kind)
{
    return kind.name + ".golden";
}

// Runs `work` on a thread of its own, started as the render engine starts its workers, and
// waits for it to end.
::testing::AssertionResult RunOnNewThread(const std::function<void()>& work)
{
    struct Call {
        static unsigned __stdcall Entry(void* argument)
        {
            (*static_cast<const std::function<void()>*>(argument))();
            return 0;
        }
    };
    const uintptr_t handle = _beginthreadex(nullptr, 0, &Call::Entry, const_cast<std::function<void()>*>(&work), 0,
                                            nullptr);
    if (handle == 0) {
        return ::testing::AssertionFailure() << "no thread";
    }
    const DWORD waited = WaitForSingleObject(reinterpret_cast<HANDLE>(handle), 120000);
    CloseHandle(reinterpret_cast<HANDLE>(handle));
    if (waited != WAIT_OBJECT_0) {
        return ::testing::AssertionFailure() << "the thread did not end";
    }
    return ::testing::AssertionSuccess();
}

class KernelGoldenTest : public LaneKindTest {
protected:
    void SetUp() override
    {
        LaneKindTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        std::string error;
        ASSERT_TRUE(ReadGoldenFile(FileOf(GetParam()), &golden_, &error)) << error;
    }

    void ExpectGolden(const GoldenEntries& actual, const char* where)
    {
        const GoldenComparison c = CompareWithGolden(golden_, actual);
        EXPECT_EQ(c.differing, 0u) << GetParam().name << " on the " << where << ": " << c.differing << " of "
                                   << c.compared << " pixels differ from the x64 build\n"
                                   << c.report;
    }

    GoldenTable golden_;
};

TEST_P(KernelGoldenTest, MainThreadDrawsWhatX64Draws)
{
    ExpectGolden(RenderAllScenes(GetParam()), "main thread");
}

TEST_P(KernelGoldenTest, WorkerThreadDrawsWhatX64Draws)
{
    GoldenEntries actual;
    ASSERT_TRUE(RunOnNewThread([&] { actual = RenderAllScenes(GetParam()); }));
    ExpectGolden(actual, "worker thread");
}

ZORB_INSTANTIATE_FOR_LANE_KINDS(KernelGoldenTest);

// The x87 unit's precision control: 53 bits makes x87 doubles round as SSE2 does; the x86
// scalar code computes there, and the C library's exp and pow do on both arches.
unsigned X87Precision()
{
    unsigned short control = 0;
    __asm__ __volatile__("fnstcw %0" : "=m"(control));
    return (control >> 8) & 3u;
}

constexpr unsigned kX87Precision53 = 2;

TEST(FloatingPointUnit, EveryThreadRoundsDoublesToDouble)
{
    EXPECT_EQ(X87Precision(), kX87Precision53) << "main thread";
    unsigned worker = 0;
    ASSERT_TRUE(RunOnNewThread([&] { worker = X87Precision(); }));
    EXPECT_EQ(worker, kX87Precision53) << "new thread";
}

} // namespace

bool WriteKernelGolden(std::string* error)
{
    for (const LaneKind& kind : LaneKindsOfThisBuild()) {
        if (kind.needsAvx && !ProcessorHasAvx()) {
            *error = "no AVX on this processor: cannot write " + FileOf(kind);
            return false;
        }
        if (!WriteGoldenFile(FileOf(kind), RenderAllScenes(kind), error)) {
            return false;
        }
    }
    return true;
}
