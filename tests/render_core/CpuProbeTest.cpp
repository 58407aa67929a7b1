#include <gtest/gtest.h>

#include <string>

#include "DebugTextCapture.h"
#include "render/BuildConfig.h"
#include "render/CpuProbe.h"

namespace {

constexpr uint32_t kSse2 = 1u << 26;    // EDX
constexpr uint32_t kOsxsave = 1u << 27; // ECX
constexpr uint32_t kAvx = 1u << 28;     // ECX

class FakeProcessor final : public ProcessorQueries {
public:
    FakeProcessor(uint32_t highestLeaf, uint32_t ecx, uint32_t edx, uint64_t xcr0)
        : highestLeaf_(highestLeaf), ecx_(ecx), edx_(edx), xcr0_(xcr0) {}

    CpuidRegisters Cpuid(uint32_t leaf) const override {
        leavesAsked_ |= 1u << (leaf & 31);
        if (leaf == 0) {
            return {highestLeaf_, 0x756e6547, 0x6c65746e, 0x49656e69};
        }
        return {0, 0, ecx_, edx_};
    }
    uint64_t ReadXcr0() const override {
        ++xgetbvCalls_;
        return xcr0_;
    }

    int XgetbvCalls() const { return xgetbvCalls_; }
    bool AskedLeafOne() const { return (leavesAsked_ & 2u) != 0; }

private:
    uint32_t highestLeaf_, ecx_, edx_;
    uint64_t xcr0_;
    mutable int xgetbvCalls_ = 0;
    mutable uint32_t leavesAsked_ = 0;
};

struct ProbeCase {
    const char* name;
    uint32_t highestLeaf;
    uint32_t ecx;
    uint32_t edx;
    uint64_t xcr0;
    int bits;         // uncapped
    const char* text; // null: none
    bool readsXcr0;
};

const char* const kAvxText = "Found support for AVX instructions\n";
const char* const kOsText = "Processor has support for AVX instructions but OS doesn't reverting to SSE\n";
const char* const kSseText = "Found support for SSE2 instructions\n";

const ProbeCase kCases[] = {
    {"AvxEnabled", 13, kAvx | kOsxsave, kSse2, 0x7, 256, kAvxText, true},
    {"AvxEnabledWithoutSse2Bit", 13, kAvx | kOsxsave, 0, 0x6, 256, kAvxText, true},
    {"YmmStateOff", 13, kAvx | kOsxsave, kSse2, 0x3, 128, kOsText, true},
    {"XmmStateOff", 13, kAvx | kOsxsave, kSse2, 0x5, 128, kOsText, true},
    {"NoOsxsave", 13, kAvx, kSse2, 0x7, 128, kOsText, false},
    {"AvxUnusableNoSse2", 13, kAvx, 0, 0x7, 0, nullptr, false},
    {"OsxsaveWithoutAvx", 13, kOsxsave, kSse2, 0x7, 128, kSseText, false},
    {"Sse2Only", 1, 0, kSse2, 0, 128, kSseText, false},
    {"Nothing", 1, 0, 0, 0, 0, nullptr, false},
    {"NoLeafOne", 0, kAvx | kOsxsave, kSse2, 0x7, 0, nullptr, false},
    {"NegativeHighestLeaf", 0x80000004u, kAvx | kOsxsave, kSse2, 0x7, 0, nullptr, false},
};

TEST(ProbeSimd, AnswersEachProcessorCappedAtEachBuild) {
    const int caps[] = {256, 128, 64, 32};
    for (const ProbeCase& c : kCases) {
        for (int cap : caps) {
            SCOPED_TRACE(std::string(c.name) + " cap " + std::to_string(cap));
            const FakeProcessor processor(c.highestLeaf, c.ecx, c.edx, c.xcr0);
            const SimdProbeResult result = ProbeSimd(processor, cap);
            EXPECT_EQ(result.bits, std::min(c.bits, cap));
            if (c.text) {
                EXPECT_STREQ(result.debugText, c.text) << "the text tells the uncapped answer";
            } else {
                EXPECT_EQ(result.debugText, nullptr);
            }
            EXPECT_EQ(processor.XgetbvCalls(), c.readsXcr0 ? 1 : 0);
            EXPECT_EQ(processor.AskedLeafOne(), static_cast<int32_t>(c.highestLeaf) >= 1);
        }
    }
}

TEST(DetectSimdBits, CapsAtThisBuildsWidestVectorAndSaysWhatItFound) {
    const int expectedCap = kBuildAvx ? 256 : kBuildSse2 ? 128 : kBuild64Bit ? 64 : 32;
    EXPECT_EQ(SimdBitsCap(), expectedCap);

    DebugTextCapture texts;
    const int bits = DetectSimdBits();
    EXPECT_LE(bits, expectedCap);
    const std::vector<std::string> said = texts.Texts();
    ASSERT_LE(said.size(), 1u);
    if (bits == 0) {
        EXPECT_TRUE(said.empty());
        return;
    }
    ASSERT_EQ(said.size(), 1u);
    const bool known = said[0] == kAvxText || said[0] == kOsText || said[0] == kSseText;
    EXPECT_TRUE(known) << said[0];
    if (said[0] == kAvxText) {
        EXPECT_EQ(bits, std::min(256, expectedCap));
    } else {
        EXPECT_EQ(bits, std::min(128, expectedCap));
    }
}

} // namespace
