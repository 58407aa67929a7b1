#pragma once

#include <windows.h>

#include <cstdint>

// One pixel of an RGB picture from its colour index and smooth value (|z|^2 at escape).
// Index 255 (did not escape) is black. Otherwise the colour fades from the index's own palette
// entry (smooth value below 4, or not a number) towards the next entry (smooth value 4), which
// hides the steps between escape bands. Writes red, green, blue at rgbRow[3x .. 3x + 2].
// The palette is the 256-entry window that starts at the colour-cycle offset.
void SmoothPixelColour(uint8_t* rgbRow, int x, uint8_t colourIndex, float smoothValue,
                       const RGBQUAD* palette);

// (to - from) * t + from in float, clamped to 0..255 and truncated; NaN gives 0.
int BlendChannel(int from, int to, float t);
