#pragma once

#include <cstdint>
#include <type_traits>

#include "render/EscapeGroup.h"
#include "render/FormulaPolicies.h"
#include "render/IRenderCallbackInterface.h"
#include "render/KernelNamespace.h"
#include "render/OrbitState.h"
#include "render/RenderBand.h"
#include "render/View.h"

// The escape-time loop, written once over a formula policy and a lane type. Include it only
// from a unit that instantiates kernels (see KernelNamespace.h).
#define ZORB_KERNEL_INLINE_LAMBDA __attribute__((always_inline))

namespace ZORB_KERNEL_NAMESPACE {

// Renders one band, bottom row first. Pixel (x, y) stands for (xMin + x*stepX, y*stepY - yMax).
// Set mode builds the points by accumulation in the element type; Julia mode computes the
// start of each orbit directly. Returns at the first check that finds RenderRunningFlag clear.
template <class Formula, class Lane>
void RenderEscapeTime(const RenderBand* band, IRenderCallbackInterface* client)
{
    using E = typename Lane::Element;
    constexpr int kWidth = Lane::kWidth;

    const View* view = client->GetView();
    const double stepX = band->stepX;
    Lane rowValue(static_cast<E>(band->rowEnd * band->stepY - view->yMax));
    const Lane rowStep(static_cast<E>(band->stepY));
    const E columnStart = static_cast<E>(band->colStart * stepX + view->xMin);
    E offsetValues[kWidth];
    for (int k = 0; k < kWidth; ++k) {
        offsetValues[k] = static_cast<E>(k * stepX);
    }
    const Lane offsets = Lane::Load(offsetValues);
    const Lane groupStep(static_cast<E>(kWidth * stepX));
    Formula formula;
    formula.Init();

    const bool julia = client->IsJulia();
    // Julia start points are formed with lane operations, so that each product and sum rounds
    // to the element type on every processor.
    const Lane juliaXMin(static_cast<E>(view->xMin));
    const Lane juliaStepX(static_cast<E>(view->stepX));
    const Lane juliaStepY(static_cast<E>(view->stepY));
    const Lane juliaYMax(static_cast<E>(view->yMax));

    using Group = EscapeGroup<Formula, Lane>;
    // Pairs pay where a step is a chain of inline vector operations and the registers hold two
    // groups' state: not around the exponential's library calls, nor in the eight vector
    // registers of 32-bit code.
    constexpr bool kPairs = kWidth > 1 && !std::is_same_v<Formula, ExpFormula<Lane>> && sizeof(void*) == 8;
    // Starts a group's orbit. In Julia mode the power formulas start z at the pixel; lambda
    // and exp(z) start z at c in both modes (their InitZ), so in Julia mode they start every
    // pixel at the constant.
    auto begin = [&](Group& group, int32_t j, int32_t y, const Lane& column, const Lane& row) ZORB_KERNEL_INLINE_LAMBDA {
        OrbitState<Lane>& orbit = group.orbit;
        if (julia) {
            orbit.cRe = Lane(static_cast<E>(client->GetJuliaRe()));
            orbit.cIm = Lane(static_cast<E>(client->GetJuliaIm()));
            orbit.zRe = (juliaXMin + juliaStepX * Lane(static_cast<E>(j))) + offsets;
            orbit.zIm = juliaStepY * Lane(static_cast<E>(y)) - juliaYMax;
            formula.InitZ(orbit);
        } else {
            orbit.cRe = column;
            orbit.cIm = row;
            formula.InitZ(orbit);
        }
        return group.Begin(formula, julia, client);
    };
    // Hands the group's pixels below colEnd to the client, lane 0 first; false once the render
    // has been stopped.
    auto report = [&](const Group& group, int32_t j, int32_t y) ZORB_KERNEL_INLINE_LAMBDA {
        const int reported = band->colEnd - j < kWidth ? band->colEnd - j : kWidth;
        uint8_t indexes[kWidth];
        float smooth[kWidth];
        group.Colour(reported, client, indexes, smooth);
        for (int k = 0; k < reported; ++k) {
            client->SetPixel(static_cast<uint32_t>(j + k), static_cast<uint32_t>(y), indexes[k], smooth[k]);
        }
        return Lane::IsRenderRunning();
    };

    if (!Lane::IsRenderRunning()) {
        return;
    }
    for (int32_t y = band->rowEnd; y > band->rowStart; --y) {
        const Lane row(rowValue);
        Lane column = Lane(columnStart) + offsets;
        for (int32_t j = band->colStart; j < band->colEnd;) {
            Group first;
            const bool firstRunning = begin(first, j, y, column, row);
            column += groupStep;
            // Vector groups run in pairs where the row has room; scalar lanes stay one pixel
            // at a time.
            if (!kPairs || j + kWidth >= band->colEnd) {
                RunGroup(formula, first, firstRunning);
                if (!report(first, j, y)) {
                    return;
                }
                j += kWidth;
                continue;
            }
            Group second;
            const bool secondRunning = begin(second, j + kWidth, y, column, row);
            column += groupStep;
            RunGroupPair(formula, first, firstRunning, second, secondRunning);
            if (!report(first, j, y) || !report(second, j + kWidth, y)) {
                return;
            }
            j += 2 * kWidth;
        }
        rowValue -= rowStep;
        if ((y & 15) == 0) {
            client->StepProgress();
        }
        if (!Lane::IsRenderRunning()) {
            return;
        }
    }
}

template <class Lane>
void RenderLambda(const RenderBand* band, IRenderCallbackInterface* client)
{
    RenderEscapeTime<LambdaFormula<Lane>, Lane>(band, client);
}

template <class Lane>
void RenderPower2(const RenderBand* band, IRenderCallbackInterface* client)
{
    RenderEscapeTime<Power2Formula<Lane>, Lane>(band, client);
}

template <class Lane>
void RenderPower3(const RenderBand* band, IRenderCallbackInterface* client)
{
    RenderEscapeTime<Power3Formula<Lane>, Lane>(band, client);
}

template <class Lane>
void RenderPower4(const RenderBand* band, IRenderCallbackInterface* client)
{
    RenderEscapeTime<Power4Formula<Lane>, Lane>(band, client);
}

template <class Lane>
void RenderExp(const RenderBand* band, IRenderCallbackInterface* client)
{
    RenderEscapeTime<ExpFormula<Lane>, Lane>(band, client);
}

} // namespace ZORB_KERNEL_NAMESPACE
