#pragma once

#include <cstdint>

#include "app/saver/LargeImageFileType.h"

// Sizes the large-picture saver can write. The render engine needs at least one pixel each
// way, libjpeg refuses sides above JPEG_MAX_DIMENSION (and its standard error handler would
// end the program), a BMP must describe its whole file in the 32-bit bfSize, and its width in
// the signed 32-bit biWidth.
enum class LargeImageSizeCheck {
    Ok,
    BelowOnePixel,
    JpegTooLarge,
    BitmapTooLarge,
    BitmapTooWide,
};

// Takes the sides as typed, in 64 bits: a size past a limit is refused with that limit's
// text, never wrapped into one that looks small or negative. Any int64 is safe here; sides
// that pass fit an int32.
LargeImageSizeCheck CheckLargeImageSize(int64_t width, int64_t height, LargeImageFileType type);

// What the dialog tells the user when it refuses a size.
const char* LargeImageSizeMessage(LargeImageSizeCheck check);

// BMP whole-file size 1078 + height x BitmapRowStride(width), in 64 bits so that sizes past the
// format's limits can be told apart from ones within them. Exact for sides from 0 to 4294967295.
uint64_t LargeBitmapFileSize(int64_t width, int64_t height);
