#pragma once

#include <cstdint>

#include "app/saver/LargeImageFileType.h"

// Sizes the large-picture saver can write. The render engine needs at least one pixel each
// way, libjpeg refuses sides above JPEG_MAX_DIMENSION (and its standard error handler would
// end the program), and a BMP must describe its whole file in the 32-bit bfSize.
enum class LargeImageSizeCheck {
    Ok,
    BelowOnePixel,
    JpegTooLarge,
    BitmapTooLarge,
};

LargeImageSizeCheck CheckLargeImageSize(int32_t width, int32_t height, LargeImageFileType type);

// What the dialog tells the user when it refuses a size.
const char* LargeImageSizeMessage(LargeImageSizeCheck check);

// BMP row size, (width + 3) & ~3, and whole-file size 1078 + height x stride, in 64 bits so
// that sizes past the format's limits can be told apart from ones within them.
uint64_t LargeBitmapStride(int32_t width);
uint64_t LargeBitmapFileSize(int32_t width, int32_t height);
