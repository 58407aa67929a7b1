#include "app/view/ViewIterations.h"

#include <cmath>

uint64_t AdaptedIterationLimit(uint64_t limit, double magnification)
{
    const double adapted = std::pow(magnification, 0.2) * static_cast<double>(limit);
    if (std::isnan(adapted)) {
        return limit;
    }
    // 2^64: converting anything at or above it to uint64 is undefined.
    if (adapted >= 18446744073709551616.0) {
        return UINT64_MAX;
    }
    if (adapted <= 0.0) {
        return 0;
    }
    return static_cast<uint64_t>(adapted);
}
