#include "app/saver/LargeImagePasses.h"

#include "app/files/BitmapFile.h"

int32_t PassCount(int32_t height, int32_t rowsPerPass)
{
    return static_cast<int32_t>((static_cast<int64_t>(height) + rowsPerPass - 1) / rowsPerPass);
}

PassRows RowsOfPass(int32_t pass, int32_t rowsPerPass, int32_t height)
{
    const int64_t first = static_cast<int64_t>(pass) * rowsPerPass + 1;
    if (first > height) {
        return {height + 1, 0};
    }
    const int64_t last = first + rowsPerPass - 1 < height ? first + rowsPerPass - 1 : height;
    return {static_cast<int32_t>(first), static_cast<int32_t>(last - first + 1)};
}

int64_t BitmapRowOffset(int32_t width, int32_t height, int32_t y)
{
    return static_cast<int64_t>(kBitmapPixelOffset) +
           static_cast<int64_t>(height - y) * static_cast<int64_t>(BitmapRowStride(width));
}
