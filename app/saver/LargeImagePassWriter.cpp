#include "app/saver/LargeImagePassWriter.h"

#include <cstring>

#include "app/palette/SmoothColour.h"
#include "app/files/BitmapFile.h"

bool WriteBitmapPass(OutputFile& out, int32_t width, int32_t height, PassRows rows,
                     const uint8_t* indexRows, uint8_t* block, int32_t pitch)
{
    const size_t rowPitch = static_cast<size_t>(pitch > 0 ? pitch : width);
    if (rows.count <= 0) {
        return true;
    }
    const size_t stride = static_cast<size_t>(BitmapRowStride(width));
    for (int32_t i = 0; i < rows.count; ++i) {
        uint8_t* target = block + static_cast<size_t>(rows.count - 1 - i) * stride;
        memcpy(target, indexRows + static_cast<size_t>(i) * rowPitch,
               static_cast<size_t>(width));
    }
    const int32_t lowestRow = rows.first + rows.count - 1;
    if (!out.Seek(BitmapRowOffset(width, height, lowestRow))) {
        return false;
    }
    const size_t bytes = static_cast<size_t>(rows.count) * stride;
    return out.Write(block, bytes) == bytes;
}

bool WriteJpegPass(JpegWriter& jpeg, int32_t width, PassRows rows,
                   const uint8_t* indexRows, const float* smoothRows, const RGBQUAD* palette,
                   uint8_t* rgbRow, int32_t pitch)
{
    const size_t rowPitch = static_cast<size_t>(pitch > 0 ? pitch : width);
    for (int32_t i = 0; i < rows.count; ++i) {
        const size_t rowStart = static_cast<size_t>(i) * rowPitch;
        for (int32_t x = 0; x < width; ++x) {
            SmoothPixelColour(rgbRow, x, indexRows[rowStart + x], smoothRows[rowStart + x], palette);
        }
        if (!jpeg.WriteRow(rgbRow)) {
            return false;
        }
    }
    return true;
}
