#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "KernelTestSupport.h"
#include "ReferenceRender.h"

namespace {

// Steps of 1/32 make every pixel's point exact in float, so a vector lane's accumulation (start
// plus lane offset plus group steps) and the scalar lane's (one step per column) reach the same
// point. With inexact steps the two round differently and the pictures may differ slightly.
constexpr double kStep = 1.0 / 32;

struct AgreementCase {
    const char* name;
    int formula;
    double xMin, yMax;
    int columns, rows;
    bool julia;
    double juliaRe, juliaIm;
    uint64_t limit;
};

const AgreementCase kCases[] = {
    {"Power2Set", 2, -2.25, 1.25, 96, 80, false, 0, 0, 300},
    {"Power2SetCutGroups", 2, -2.25, 1.25, 77, 80, false, 0, 0, 300},
    {"Power2Julia", 2, -1.75, 1.25, 112, 80, true, -0.8, 0.156, 300},
    {"Power3Set", 3, -1.5, 1.5, 96, 96, false, 0, 0, 200},
    {"Power4Julia", 4, -1.5, 1.5, 96, 96, true, 0.5, 0.5, 200},
    {"LambdaSet", 1, -0.75, 1.25, 96, 64, false, 0, 0, 100},
    {"ExpSet", 5, -2, 3, 160, 192, false, 0, 0, 40},
};

Scene SceneOf(const AgreementCase& c)
{
    Scene scene;
    scene.view = MakeView(c.xMin, c.xMin + c.columns * kStep, c.yMax - c.rows * kStep, c.yMax, c.columns, c.rows);
    scene.colEnd = c.columns;
    scene.rowStart = 0;
    scene.rowEnd = c.rows;
    scene.julia = c.julia;
    scene.juliaRe = c.juliaRe;
    scene.juliaIm = c.juliaIm;
    scene.maxIterations = c.limit;
    scene.linear = true;
    return scene;
}

class KernelAgreementTest : public LaneKindTest {};

// A vector lane gives the scalar lane's colour index for every pixel, except where grouping
// changes the answer: a lane counted again after its orbit came back inside the radius. A pixel
// that the known-inside test settles alone but not within its group is iterated instead, and
// in these views still ends inside.
TEST_P(KernelAgreementTest, VectorLanesGiveTheScalarIndexes)
{
    const LaneKind& kind = GetParam();
    if (kind.width == 1) {
        GTEST_SKIP() << "scalar lane";
    }
    const LaneKind single = ScalarKindLike(kind);
    for (const AgreementCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const Scene scene = SceneOf(c);
        const KernelClient vector = RunKernel(kind.Kernel(c.formula), scene);
        const KernelClient scalar = RunKernel(single.Kernel(c.formula), scene);
        const ReferenceRender grouped = kind.isFloat ? RenderReference<float>(scene, c.formula, kind.width)
                                                     : RenderReference<double>(scene, c.formula, kind.width);
        ASSERT_EQ(vector.events.size(), scalar.events.size());
        size_t differences = 0;
        for (size_t i = 0, pixel = 0; i < vector.events.size(); ++i) {
            const KernelEvent& v = vector.events[i];
            const KernelEvent& s = scalar.events[i];
            ASSERT_EQ(v.progress, s.progress);
            if (v.progress) {
                continue;
            }
            ASSERT_EQ(v.x, s.x);
            ASSERT_EQ(v.y, s.y);
            const ReferencePixel& inGroup = grouped.pixels[pixel];
            ++pixel;
            if (inGroup.cameBack) {
                continue;
            }
            if (v.index != s.index && ++differences > AllowedColourDifferences(grouped.pixels.size())) {
                ADD_FAILURE() << "pixel (" << v.x << ", " << v.y << "): vector " << int(v.index) << ", scalar "
                              << int(s.index);
            }
        }
        // Set mode of the power formulas: an orbit that has left never comes back.
        if (c.formula >= 2 && c.formula <= 4 && !c.julia) {
            for (size_t pixel = 0; pixel < grouped.pixels.size(); ++pixel) {
                EXPECT_FALSE(grouped.pixels[pixel].cameBack);
            }
        }
    }
}

ZORB_INSTANTIATE_FOR_LANE_KINDS(KernelAgreementTest);

} // namespace
