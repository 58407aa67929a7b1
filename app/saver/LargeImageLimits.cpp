#include "app/saver/LargeImageLimits.h"

#include <cstdio>

#include <jpeglib.h>

#include "app/files/BitmapFile.h"

uint64_t LargeBitmapStride(int32_t width)
{
    return (static_cast<uint64_t>(width) + 3) & ~static_cast<uint64_t>(3);
}

uint64_t LargeBitmapFileSize(int32_t width, int32_t height)
{
    return kBitmapPixelOffset + static_cast<uint64_t>(height) * LargeBitmapStride(width);
}

LargeImageSizeCheck CheckLargeImageSize(int32_t width, int32_t height, LargeImageFileType type)
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
    // bfSize is the largest of the header's sizes; biSizeImage and the signed biWidth and
    // biHeight fit whenever it does.
    if (LargeBitmapFileSize(width, height) > UINT32_MAX) {
        return LargeImageSizeCheck::BitmapTooLarge;
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
    }
    return "";
}
