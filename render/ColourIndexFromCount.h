#pragma once

#include <cstdint>

#include "render/IRenderCallbackInterface.h"
#include "render/InsideColourIndex.h"
#include "render/KernelNamespace.h"
#include "render/Stored.h"

namespace ZORB_KERNEL_NAMESPACE {

// The count rounded to single precision and widened again.
template <class Count>
double RoundedToFloat(Count count)
{
    return Stored(static_cast<float>(count));
}

// Iteration count to colour index, with the limit the escape loop used. A point that leaves
// the radius only at the last test the limit allows counts as inside. Escape colours repeat
// with period 255, so they never collide with the inside index.
template <class Count>
class ColourIndexFromCount {
public:
    ColourIndexFromCount(Count limit, IRenderCallbackInterface* client) : limit_(limit), client_(client) {}

    uint8_t operator()(Count count) const
    {
        // Unsigned: a limit of 0 makes limit - 1 the largest count, so nothing is inside.
        if (count >= static_cast<Count>(limit_ - 1)) {
            return kInsideColourIndex;
        }
        uint64_t value = count;
        if (!client_->IsLinearColouring()) {
            // Progressive mapping: spreads the low counts, where most of the picture lies.
            value = static_cast<uint64_t>(4.0 * __builtin_sqrt(RoundedToFloat(count)));
        }
        return static_cast<uint8_t>(value % 255);
    }

private:
    Count limit_;
    IRenderCallbackInterface* client_;
};

} // namespace ZORB_KERNEL_NAMESPACE
