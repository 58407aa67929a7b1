#include "app/saver/FormatDuration.h"

#include <cstdint>
#include <cstdio>

namespace {
constexpr int kOutSize = 32;
}

int FormatDuration(double seconds, char* out)
{
    if (!(seconds >= 60.0)) {
        // The tenths of the value rounded to single precision: 0.15 s reads 0.2s, where the
        // double just below 0.15 would read 0.1s. Just under a minute reads 60.0s.
        return snprintf(out, kOutSize, "%.1fs", static_cast<double>(static_cast<float>(seconds)));
    }
    // Durations beyond an int32 of seconds (68 years) are not met; clamp rather than wrap.
    const int32_t s = seconds >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(seconds);
    const int32_t m = s / 60;
    const int32_t h = m / 60;
    const int32_t d = h / 24;
    if (d > 0) {
        return snprintf(out, kOutSize, "%dd %dh", d, h % 24);
    }
    if (h % 24 > 0) {
        return snprintf(out, kOutSize, "%dh %dm", h % 24, m % 60);
    }
    return snprintf(out, kOutSize, "%dm %ds", m % 60, s % 60);
}
