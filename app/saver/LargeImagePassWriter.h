#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "app/files/JpegFile.h"
#include "app/files/OutputFile.h"
#include "app/saver/LargeImagePasses.h"

// Writing one finished pass of the large-picture saver. The pass buffers hold rows.count
// rows of `width` pixels, buffer row i being picture row rows.first + i and starting at pixel
// i x pitch (pitch 0: i x width).

// BMP: the pass's rows go to their bottom-up place, as one block from the offset of its
// lowest row: the last row of the pass first, its first row last. `block` has room for
// rows.count rows of the BMP stride and zero padding bytes. 64-bit positioning, so files past
// 2 GB work. False when the seek or a write failed.
bool WriteBitmapPass(OutputFile& out, int32_t width, int32_t height, PassRows rows,
                     const uint8_t* indexRows, uint8_t* block, int32_t pitch = 0);

// JPEG: the pass's rows as scanlines, top row first, each pixel coloured by
// SmoothPixelColour with `palette` (256 entries). False when the writer failed.
bool WriteJpegPass(JpegWriter& jpeg, int32_t width, PassRows rows,
                   const uint8_t* indexRows, const float* smoothRows, const RGBQUAD* palette,
                   uint8_t* rgbRow, int32_t pitch = 0);
