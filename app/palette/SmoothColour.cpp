#include "app/palette/SmoothColour.h"

#include <cmath>

#include "render/InsideColourIndex.h"

// Every step is a float variable: the x86 build rounds each one to float (-ffloat-store), as
// SSE does on x64, so both builds give the same colours.

namespace {

// a < b ? a : b, on purpose not std::min: a NaN in a must give b.
inline float MinOf(float a, float b) { return a < b ? a : b; }

// Weight of the index's own colour: 1 below |z|^2 = 4 (and for NaN), 0 at 4, back to 1 from
// about 22.83 up.
float BlendFactor(float smoothValue)
{
    const float modulus = std::sqrt(smoothValue);
    const float d = modulus - 2.0f;
    const float m = MinOf(d, 4.0f);
    const float root = std::sqrt(m * 0.25f);
    const float t = 1.2f * root;
    return MinOf(t, 1.0f);
}

}  // namespace

int BlendChannel(int from, int to, float t)
{
    const float scaled = (static_cast<float>(to) - static_cast<float>(from)) * t;
    const float v = scaled + static_cast<float>(from);
    if (v >= 255.0f) {
        return 255;
    }
    if (v > 0.0f) {
        return static_cast<int>(v);
    }
    return 0;
}

void SmoothPixelColour(uint8_t* rgbRow, int x, uint8_t colourIndex, float smoothValue,
                       const RGBQUAD* palette)
{
    uint8_t* out = rgbRow + 3 * x;
    if (colourIndex == kInsideColourIndex) {
        out[0] = out[1] = out[2] = 0;
        return;
    }
    const RGBQUAD& own = palette[colourIndex];
    const RGBQUAD& next = palette[colourIndex + 1];
    const float t = BlendFactor(smoothValue);
    out[0] = static_cast<uint8_t>(BlendChannel(next.rgbRed, own.rgbRed, t));
    out[1] = static_cast<uint8_t>(BlendChannel(next.rgbGreen, own.rgbGreen, t));
    out[2] = static_cast<uint8_t>(BlendChannel(next.rgbBlue, own.rgbBlue, t));
}
