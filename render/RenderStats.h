#pragma once

#include <cstdint>

// How one render is computed; set before the first band and fixed for the whole render.
struct RenderStats {
    bool useFloat = false;   // single precision
    bool useDouble = false;  // double precision
    bool simd = false;       // vector kernels may be used
    bool sse128 = false;     // 128-bit kernels allowed
    bool avx256 = false;     // 256-bit kernels allowed
    int32_t threadCount = 0; // worker threads allowed at once
};
