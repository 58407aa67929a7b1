#include "app/saver/LargeImageLimits.h"

#include <cstdio>

#include <jpeglib.h>

#include "app/files/BitmapFile.h"

uint64_t LargeBitmapFileSize(int64_t width, int64_t height)
{
    return kBitmapPixelOffset + static_cast<uint64_t>(height) * BitmapRowStride(width);
}

LargeImageSizeCheck CheckLargeImageSize(int64_t width, int64_t height, LargeImageFileType type)
{
    if (width < 1 || height < 1) {
        return LargeImageSizeCheck::BelowOnePixel;
    }
    if (type == LargeImageFileType::Jpeg) {
        if (width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION) {
            return LargeImageSizeCheck::JpegTooLarge;
        }
        return LargeImageSizeCheck::Ok;
    }
    // A side past 32 bits makes bfSize larger still; refused first, so that the product below
    // cannot overflow.
    if (width > UINT32_MAX || height > UINT32_MAX || LargeBitmapFileSize(width, height) > UINT32_MAX) {
        return LargeImageSizeCheck::BitmapTooLarge;
    }
    // bfSize holds biSizeImage and the signed biHeight whenever it fits (every row takes at
    // least 4 bytes); a single row can still be wider than the signed biWidth.
    if (width > INT32_MAX) {
        return LargeImageSizeCheck::BitmapTooWide;
    }
    return LargeImageSizeCheck::Ok;
}

const char* LargeImageSizeMessage(LargeImageSizeCheck check)
{
    switch (check) {
    case LargeImageSizeCheck::Ok:
        return "";
    case LargeImageSizeCheck::BelowOnePixel:
        return "The image width and height must each be at least 1 pixel.";
    case LargeImageSizeCheck::JpegTooLarge:
        return "A JPEG image can be at most 65500 pixels wide and 65500 pixels high.\n"
               "Choose a smaller size, or save it as a bitmap.";
    case LargeImageSizeCheck::BitmapTooLarge:
        return "A bitmap of this size would be larger than the 4 GB its file header can "
               "describe.\nChoose a smaller size, or save it as a JPEG.";
    case LargeImageSizeCheck::BitmapTooWide:
        return "A bitmap can be at most 2147483647 pixels wide.\nChoose a smaller width.";
    }
    return "";
}
