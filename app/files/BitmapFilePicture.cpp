#include "app/files/BitmapFilePicture.h"

#include <algorithm>

DibPicture MakeDibPicture(const uint8_t* indices, const float* smooth, int stride, int rows, int dibWidth,
                          int width, int height, const RGBQUAD* palette)
{
    DibPicture picture{};
    picture.indices = indices;
    picture.smooth = smooth;
    picture.stride = stride;
    picture.rows = rows;
    picture.palette = palette;
    // Reading past the DIB would read foreign memory; before the buffers exist there is no
    // picture at all.
    const bool haveBuffers = indices != nullptr && smooth != nullptr && palette != nullptr;
    picture.width = haveBuffers ? std::clamp(width, 0, std::min(dibWidth, stride)) : 0;
    picture.height = haveBuffers ? std::clamp(height, 0, rows) : 0;
    return picture;
}
