// Start-up: the probe's answers and texts for every build with the processor's answers made up,
// each build's decision, and the real hand-over to a narrower build.
#include <gtest/gtest.h>

#include <windows.h>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "app/startup/Startup.h"
#include "app/window/MainWindow.h"
#include "render/BuildConfig.h"
#include "render/CpuProbe.h"
#if defined(ZORB_BUILD_AVX)
#include "render/avx/AvxStartup.h"
#endif
#include "tests/app_window/WindowHarness.h"

namespace {

constexpr uint32_t kSse2Bit = 1u << 26;    // leaf 1 EDX
constexpr uint32_t kOsxsaveBit = 1u << 27; // leaf 1 ECX
constexpr uint32_t kAvxBit = 1u << 28;     // leaf 1 ECX

class MadeUpProcessor final : public ProcessorQueries {
public:
    MadeUpProcessor(uint32_t maxLeaf, uint32_t ecx, uint32_t edx, uint64_t xcr0)
        : maxLeaf_(maxLeaf), ecx_(ecx), edx_(edx), xcr0_(xcr0)
    {
    }
    CpuidRegisters Cpuid(uint32_t leaf) const override
    {
        if (leaf == 0) {
            return CpuidRegisters{maxLeaf_, 0x756e6547, 0x6c65746e, 0x49656e69};
        }
        return CpuidRegisters{0, 0, ecx_, edx_};
    }
    uint64_t ReadXcr0() const override
    {
        ++xgetbvCalls;
        return xcr0_;
    }
    mutable int xgetbvCalls = 0;

private:
    uint32_t maxLeaf_, ecx_, edx_;
    uint64_t xcr0_;
};

FallbackChoice ThisBuildsChoice(int bits)
{
#if defined(ZORB_BUILD_AVX)
    return AvxStartupChoice(bits);
#elif defined(ZORB_BUILD_SSE2)
    return SseStartupChoice(bits);
#else
    (void)bits;
    return FallbackChoice{nullptr, nullptr};
#endif
}

const char kAvxText[] = "AVX instructions are not supported on this computer, launching the SSE executable instead";
const char kIntrinsicText[] =
    "Intrinsic instructions are not supported on this computer, launching the SSE executable instead";

[[maybe_unused]] std::string ProgramDir()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char folder[MAX_PATH];
    ProgramFolder(path, folder, sizeof(folder));
    return folder;
}

[[maybe_unused]] std::string ReadMarker(const std::string& program, DWORD timeoutMs)
{
    const std::string path = ProgramDir() + program + ".started";
    const DWORD start = GetTickCount();
    do {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::stringstream text;
            text << in.rdbuf();
            if (text.str().find(']') != std::string::npos) {
                return text.str();
            }
        }
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return "";
}

TEST(Startup, ProbeAnswersAndTextsForThisBuild)
{
    struct Case {
        const char* name;
        uint32_t maxLeaf;
        uint32_t ecx;
        uint32_t edx;
        uint64_t xcr0;
        int uncapped;
        const char* text;
        bool readsXcr0;
    };
    const Case cases[] = {
        {"AVX enabled by the system", 13, kAvxBit | kOsxsaveBit, kSse2Bit, 7, 256,
         "Found support for AVX instructions\n", true},
        {"AVX, another vendor, no SSE2 bit", 7, kAvxBit | kOsxsaveBit, 0, 6, 256,
         "Found support for AVX instructions\n", true},
        {"AVX state not saved by the system", 13, kAvxBit | kOsxsaveBit, kSse2Bit, 3, 128,
         "Processor has support for AVX instructions but OS doesn't reverting to SSE\n", true},
        {"AVX without OSXSAVE", 13, kAvxBit, kSse2Bit, 7, 128,
         "Processor has support for AVX instructions but OS doesn't reverting to SSE\n", false},
        {"AVX without OSXSAVE or SSE2", 13, kAvxBit, 0, 7, 0, nullptr, false},
        {"SSE2 only", 13, 0, kSse2Bit, 0, 128, "Found support for SSE2 instructions\n", false},
        {"nothing", 13, 0, 0, 0, 0, nullptr, false},
        {"no leaf 1", 0, kAvxBit | kOsxsaveBit, kSse2Bit, 7, 0, nullptr, false},
    };
    const int cap = SimdBitsCap();
    EXPECT_EQ(cap, kBuildAvx ? 256 : kBuildSse2 ? 128 : (kBuild64Bit ? 64 : 32));
    for (const Case& c : cases) {
        const MadeUpProcessor processor(c.maxLeaf, c.ecx, c.edx, c.xcr0);
        const SimdProbeResult result = ProbeSimd(processor, cap);
        EXPECT_EQ(result.bits, c.uncapped < cap ? c.uncapped : cap) << c.name;
        if (c.text == nullptr) {
            EXPECT_EQ(result.debugText, nullptr) << c.name;
        } else {
            ASSERT_NE(result.debugText, nullptr) << c.name;
            EXPECT_STREQ(result.debugText, c.text) << c.name;
        }
        EXPECT_EQ(processor.xgetbvCalls > 0, c.readsXcr0) << c.name;
    }
}

TEST(Startup, DecisionOfThisBuild)
{
    struct Case {
        int bits;
        const char* avxText;
        const char* avxProgram;
        const char* sseText;
        const char* sseProgram;
    };
    const Case cases[] = {
        {256, nullptr, nullptr, nullptr, nullptr},
        {128, kAvxText, "newZorbReleaseSSE.exe", nullptr, nullptr},
        {0, kIntrinsicText, "newZorbReleaseScalar.exe", kIntrinsicText, "newZorbReleaseScalar.exe"},
    };
    for (const Case& c : cases) {
        const FallbackChoice choice = ThisBuildsChoice(c.bits);
        const char* text = kBuildAvx ? c.avxText : kBuildSse2 ? c.sseText : nullptr;
        const char* program = kBuildAvx ? c.avxProgram : kBuildSse2 ? c.sseProgram : nullptr;
        if (program == nullptr) {
            EXPECT_EQ(choice.program, nullptr) << c.bits;
        } else {
            ASSERT_NE(choice.program, nullptr) << c.bits;
            EXPECT_STREQ(choice.program, program) << c.bits;
            EXPECT_STREQ(choice.text, text) << c.bits;
        }
    }
    // What this machine gets: every build opens its window here.
    EXPECT_EQ(ThisBuildsChoice(DetectSimdBits()).program, nullptr);
}

// The entry path of this build on this machine: the probe's answer opens the window, the first
// render reports the build's vector width, and WM_CLOSE ends the message loop with 0.
struct FirstRenderWatch {
    static std::string report;
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD)
    {
        ZorbGUI* gui = ZorbGUI::GetInstance();
        if (gui->hwnd == nullptr || gui->IsRenderActive() || gui->renderDue) {
            return;
        }
        const std::string text = StatusText(gui, StatusPart::RenderInfo);
        if (text.find("NumBits:") == std::string::npos) {
            return;
        }
        KillTimer(nullptr, id);
        report = text;
        PostMessageA(gui->hwnd, WM_CLOSE, 0, 0);
    }
};
std::string FirstRenderWatch::report;

TEST(Startup, ThisMachineOpensTheWindowOfThisBuild)
{
    const int bits = DetectSimdBits();
    const FallbackChoice choice = ThisBuildsChoice(bits);
    ASSERT_EQ(choice.program, nullptr);
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, &FirstRenderWatch::OnTimer);
    EXPECT_EQ(RunStartup("windowed", bits, choice, RunMainWindow), 0);
    KillTimer(nullptr, timer);
    const int expected = kBuildAvx ? 256 : kBuildSse2 ? 128 : 64;
    EXPECT_NE(FirstRenderWatch::report.find(" NumBits:" + std::to_string(expected) + " "), std::string::npos)
        << FirstRenderWatch::report;
}

TEST(Startup, ProgramFolderKeepsTheLastBackslash)
{
    char folder[16];
    EXPECT_TRUE(ProgramFolder("C:\\a\\b\\x.exe", folder, sizeof(folder)));
    EXPECT_STREQ(folder, "C:\\a\\b\\");
    EXPECT_FALSE(ProgramFolder("x.exe", folder, sizeof(folder)));
    EXPECT_STREQ(folder, "");
    EXPECT_FALSE(ProgramFolder("", folder, sizeof(folder)));
    EXPECT_STREQ(folder, "");
    EXPECT_FALSE(ProgramFolder("C:\\a-very-long-folder\\x.exe", folder, sizeof(folder)));
    EXPECT_STREQ(folder, "");
}

// The real hand-over: the box, then the narrower build started from the program's folder.
// Stand-ins named like the narrower builds lie beside this test program. Only the AVX build's
// tests run it, so that parallel test programs do not share the stand-ins' notes.
TEST(Startup, FallbackBoxStartsTheNarrowerBuildUnlessCancelled)
{
#if !defined(ZORB_BUILD_AVX)
    GTEST_SKIP() << "run by the AVX build's tests";
#else
    struct Case {
        int bits;
        int button;
        const char* text;
        const char* program;
        int result;
    };
    const Case cases[] = {
        {128, IDCANCEL, kAvxText, "newZorbReleaseSSE.exe", 0},
        {128, IDOK, kAvxText, "newZorbReleaseSSE.exe", 1},
        {0, IDOK, kIntrinsicText, "newZorbReleaseScalar.exe", 1},
    };
    const std::string dir = ProgramDir();
    for (const Case& c : cases) {
        const std::string marker = dir + c.program + ".started";
        DeleteFileA(marker.c_str());
        MessageBoxAnswerer answer(kFallbackCaption, c.button);
        // "fullscreen" is not passed on: the narrower build gets an empty parameter string.
        EXPECT_EQ(RunStartup("fullscreen", c.bits, AvxStartupChoice(c.bits), RunMainWindow), c.result) << c.program;
        ASSERT_TRUE(answer.Wait(5000));
        EXPECT_EQ(answer.text(), c.text);
        const std::string started = ReadMarker(c.program, c.result ? 20000 : 1500);
        if (c.result == 0) {
            EXPECT_EQ(started, "") << "cancelled, nothing started";
            continue;
        }
        std::string folder = dir;
        folder.pop_back(); // the current directory has no trailing backslash
        EXPECT_EQ(started, dir + c.program + "\n" + folder + "\n[]\n");
        DeleteFileA(marker.c_str());
    }
#endif
}

} // namespace
