#include "app/saver/LargeImagePassBuffers.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>

#include "app/files/BitmapFile.h"

namespace {
constexpr int64_t kCacheLine = 64;

// A byte count that size_t can hold, or 0 (also on a 32-bit build asked for several GB).
size_t SizeOrZero(uint64_t bytes)
{
    return bytes > SIZE_MAX ? 0 : static_cast<size_t>(bytes);
}
}

bool LargeImagePassBuffers::Allocate(int32_t w, int32_t rowsPerPass, LargeImageFileType type)
{
    Release();
    if (w < 1 || rowsPerPass < 1) {
        return false;
    }
    const int64_t rowPitch = (static_cast<int64_t>(w) + kCacheLine - 1) / kCacheLine * kCacheLine;
    if (rowPitch > INT32_MAX) {
        return false;
    }
    const uint64_t pixels = static_cast<uint64_t>(rowPitch) * static_cast<uint64_t>(rowsPerPass);
    const size_t indexBytes = SizeOrZero(pixels);
    const size_t smoothBytes = SizeOrZero(pixels * sizeof(float));
    const size_t extraBytes = type == LargeImageFileType::Jpeg
                                  ? SizeOrZero(3 * static_cast<uint64_t>(w))
                                  : SizeOrZero(BitmapRowStride(w) * rowsPerPass);
    if (indexBytes == 0 || smoothBytes == 0 || extraBytes == 0) {
        return false;
    }
    indexRows = static_cast<uint8_t*>(_aligned_malloc(indexBytes, kCacheLine));
    smoothRows = static_cast<float*>(_aligned_malloc(smoothBytes, kCacheLine));
    // The block is zeroed once: rows are copied over its first W bytes only, so the padding
    // of every row stays zero.
    uint8_t* extra = static_cast<uint8_t*>(calloc(extraBytes, 1));
    if (type == LargeImageFileType::Jpeg) {
        rgbRow = extra;
    } else {
        bitmapBlock = extra;
    }
    if (indexRows == nullptr || smoothRows == nullptr || extra == nullptr) {
        Release();
        return false;
    }
    width = w;
    rows = rowsPerPass;
    pitch = static_cast<int32_t>(rowPitch);
    MarkUnrendered();
    return true;
}

void LargeImagePassBuffers::Release()
{
    _aligned_free(indexRows);
    _aligned_free(smoothRows);
    free(rgbRow);
    free(bitmapBlock);
    indexRows = nullptr;
    smoothRows = nullptr;
    rgbRow = nullptr;
    bitmapBlock = nullptr;
    width = 0;
    rows = 0;
    pitch = 0;
}

void LargeImagePassBuffers::MarkUnrendered()
{
    const size_t pixels = static_cast<size_t>(pitch) * static_cast<size_t>(rows);
    if (pixels == 0) {
        return;
    }
    memset(indexRows, kUnrenderedIndex, pixels);
    static_assert(kUnrenderedSmooth == 0.0f, "0.0f is all zero bytes");
    memset(smoothRows, 0, pixels * sizeof(float));
}
