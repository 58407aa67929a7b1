#pragma once

#include <cstdint>

#include "app/saver/LargeImageFileType.h"
#include "render/InsideColourIndex.h"

// The large-picture saver's memory: one pass of T rows as the workers write it, and what the
// pass is written through, a BMP block or one JPEG scanline. Its size depends on the width and
// T only, never on the height. Owned by the saver, which allocates it before a save starts
// (so that a picture too wide for memory is refused before anything happens) and releases it
// when the save ends.
struct LargeImagePassBuffers {
    uint8_t* indexRows = nullptr;   // T rows of W colour indices, buffer row i at i x pitch
    float* smoothRows = nullptr;    // T rows of W smooth values, same layout
    uint8_t* rgbRow = nullptr;      // 3 x W bytes of one JPEG scanline; JPEG only
    uint8_t* bitmapBlock = nullptr; // T rows of S bytes as they lie in the BMP; BMP only
    int32_t width = 0;
    int32_t rows = 0;
    // Pixels from one buffer row to the next: W rounded up to whole cache lines, with both
    // row buffers on a cache-line boundary. Each row is one worker's, so no two workers ever
    // write into the same cache line.
    int32_t pitch = 0;

    // All or nothing: false (and nothing held) when any buffer cannot be had.
    bool Allocate(int32_t width, int32_t rowsPerPass, LargeImageFileType type);
    void Release();
    // Before every pass: a pixel the pass does not reach (a stopped render) is written as
    // index 255, black in both formats, never as a row left over from the pass before.
    void MarkUnrendered();
};

// Colour index and smooth value of a pixel that was never rendered.
constexpr uint8_t kUnrenderedIndex = kInsideColourIndex;
constexpr float kUnrenderedSmooth = 0.0f;
