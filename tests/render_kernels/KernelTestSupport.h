#pragma once

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LaneKinds.h"
#include "KernelClient.h"
#include "render/LambdaConstant.h"
#include "render/RenderBand.h"

// Lambda as the window starts with it.
inline const ComplexConstant kDefaultLambda = {static_cast<double>(0.2f), 1.0};

// One picture of a table: a formula (1..5) over a view, in set or Julia mode, with its
// iteration limit, colouring and lambda.
struct KernelCase {
    const char* name;
    int formula;
    double xMin, xMax, yMin, yMax;
    bool julia;
    double juliaRe, juliaIm;
    uint64_t limit;
    bool linear;
    ComplexConstant lambda;
};

// The case's view cut into `columns` x `rowEnd` pixels, of which the kernel renders rows
// rowStart+1 to rowEnd.
inline Scene SceneOf(const KernelCase& c, int columns, int rowStart, int rowEnd)
{
    Scene scene;
    scene.view = MakeView(c.xMin, c.xMax, c.yMin, c.yMax, columns, rowEnd);
    scene.colEnd = columns;
    scene.rowStart = rowStart;
    scene.rowEnd = rowEnd;
    scene.julia = c.julia;
    scene.juliaRe = c.juliaRe;
    scene.juliaIm = c.juliaIm;
    scene.maxIterations = c.limit;
    scene.linear = c.linear;
    return scene;
}

// The window may change lambda between renders; kernels read it at their start.
class LambdaScope {
public:
    explicit LambdaScope(ComplexConstant value) : saved_(LambdaConstant) { LambdaConstant = value; }
    ~LambdaScope() { LambdaConstant = saved_; }
    LambdaScope(const LambdaScope&) = delete;
    LambdaScope& operator=(const LambdaScope&) = delete;

private:
    ComplexConstant saved_;
};

// The band a kernel renders for a scene: columns 0 to colEnd, rows rowStart+1 to rowEnd.
inline RenderBand BandOf(const Scene& scene)
{
    return RenderBand(scene.colEnd, scene.rowEnd, 0, scene.colEnd, scene.rowStart, scene.rowEnd,
                      scene.view.stepX, scene.view.stepY);
}

// Runs one kernel over the scene's band with RenderRunningFlag set.
inline KernelClient RunKernel(RenderKernel kernel, const Scene& scene, size_t stopAtPixel = 0)
{
    KernelClient client(scene, stopAtPixel);
    const RenderBand band = BandOf(scene);
    RunningFlagScope running;
    kernel(&band, &client);
    return client;
}

inline bool SameSmooth(float a, float b)
{
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

inline std::string Describe(const KernelEvent& e)
{
    if (e.progress) {
        return "StepProgress";
    }
    return "SetPixel(" + std::to_string(e.x) + ", " + std::to_string(e.y) + ", " + std::to_string(e.index) +
           ", " + std::to_string(e.smooth) + ")";
}

// The plain-loop reference is written in E arithmetic, which x87 code (the 32-bit builds'
// scalar code) keeps in wider registers wherever the compiler likes, so on x87 the reference
// itself is not exact: an orbit near the boundary may leave one test earlier or later. The x87
// kernels are checked bit for bit against the x64 builds' golden data instead (render_golden).
// Everywhere else results must match exactly.
constexpr bool kExactFloatingPoint = __FLT_EVAL_METHOD__ == 0;

// The share of pixels whose colour may differ between two computations of one picture.
inline size_t AllowedColourDifferences(size_t pixels)
{
    return kExactFloatingPoint ? 0 : 2 + pixels / 50;
}

// Compares two call sequences and names the first difference.
inline ::testing::AssertionResult SameEvents(const std::vector<KernelEvent>& expected,
                                             const std::vector<KernelEvent>& actual)
{
    size_t colourDifferences = 0;
    for (size_t i = 0; i < expected.size() && i < actual.size(); ++i) {
        const KernelEvent& e = expected[i];
        const KernelEvent& a = actual[i];
        if (e.progress != a.progress || e.x != a.x || e.y != a.y) {
            return ::testing::AssertionFailure() << "call " << i << ": expected " << Describe(e) << ", got " << Describe(a);
        }
        if (e.index == a.index && (SameSmooth(e.smooth, a.smooth) || !kExactFloatingPoint)) {
            continue;
        }
        if (++colourDifferences > AllowedColourDifferences(expected.size())) {
            return ::testing::AssertionFailure() << "call " << i << ": expected " << Describe(e) << ", got " << Describe(a);
        }
    }
    if (expected.size() != actual.size()) {
        return ::testing::AssertionFailure() << expected.size() << " calls expected, got " << actual.size();
    }
    return ::testing::AssertionSuccess();
}

// Per lane type tests; the 256-bit ones are skipped on a processor without AVX.
class LaneKindTest : public ::testing::TestWithParam<LaneKind> {
protected:
    void SetUp() override
    {
        if (GetParam().needsAvx && !ProcessorHasAvx()) {
            GTEST_SKIP() << "no AVX on this processor";
        }
    }
};

#define ZORB_INSTANTIATE_FOR_LANE_KINDS(Suite)                                                   \
    INSTANTIATE_TEST_SUITE_P(Lanes, Suite, ::testing::ValuesIn(LaneKindsOfThisBuild()),          \
                             [](const ::testing::TestParamInfo<LaneKind>& info) { return info.param.name; })
