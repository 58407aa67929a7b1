#include "app/files/BitmapFile.h"

#include <cstring>

namespace {

constexpr uint16_t kBitmapSignature = 0x4D42;  // "BM"
constexpr int kPaletteColoursFromWindow = 255;
constexpr char kBitmapErrorCaption[] = "Error whilst saving bitmap";

uint32_t RowStride(int width) { return static_cast<uint32_t>(BitmapRowStride(width)); }

void ReportCheck(HWND owner, const char* text)
{
    MessageBoxA(owner, text, kBitmapErrorCaption, MB_ICONERROR);
}

}  // namespace

uint64_t BitmapRowStride(int64_t width)
{
    return (static_cast<uint64_t>(width) + 3) & ~static_cast<uint64_t>(3);
}

int InitBitmapInfoHeader(BITMAPINFOHEADER& header, int width, int height)
{
    const uint32_t stride = RowStride(width);
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<uint32_t>(height) * stride;
    header.biXPelsPerMeter = 0;
    header.biYPelsPerMeter = 0;
    header.biClrUsed = 256;
    header.biClrImportant = 256;
    return static_cast<int>(stride);
}

size_t WriteBitmapHeaders(OutputFile& out, const BITMAPINFOHEADER& header, const RGBQUAD* palette)
{
    const uint32_t stride = RowStride(header.biWidth);
    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = kBitmapSignature;
    fileHeader.bfSize = kBitmapPixelOffset + static_cast<uint32_t>(header.biHeight) * stride;
    fileHeader.bfOffBits = kBitmapPixelOffset;
    static_assert(sizeof(fileHeader) == kBitmapFileHeaderSize, "the file header has no padding");

    size_t written = out.Write(&fileHeader, sizeof(fileHeader));
    written += out.Write(&header, sizeof(header));
    written += out.Write(palette, kPaletteColoursFromWindow * sizeof(RGBQUAD));
    const RGBQUAD black{0, 0, 0, 0};
    written += out.Write(&black, sizeof(black));
    return written;
}

bool WriteBitmap(OutputFile& out, BitmapInfo256* header, const DibPicture& picture, HWND owner)
{
    const int width = picture.width;
    const int height = picture.height;
    BITMAPINFOHEADER& info = header->header;
    info.biWidth = width;
    info.biHeight = height;
    const uint32_t stride = RowStride(width);
    const uint32_t fileSize = kBitmapPixelOffset + static_cast<uint32_t>(height) * stride;

    bool passed = true;
    WriteBitmapHeaders(out, info, picture.palette);
    if (out.Tell() != static_cast<int64_t>(kBitmapPixelOffset)) {
        ReportCheck(owner, "Bitmap pixel offset not calculated correctly");
        passed = false;
    }

    const uint8_t padding[3] = {0, 0, 0};
    const size_t padBytes = stride - static_cast<uint32_t>(width);
    size_t rowBytes = 0;
    for (int k = 0; k < height; ++k) {
        // Bottom row first: picture row height - 1 - k counted from the top.
        const uint8_t* row = picture.indices + DibRowOffset(picture, height - 1 - k);
        rowBytes += out.Write(row, static_cast<size_t>(width));
        if (padBytes > 0) {
            rowBytes += out.Write(padding, padBytes);
        }
    }
    if (rowBytes != static_cast<size_t>(height) * stride) {
        ReportCheck(owner, "Bitmap data not successfully written");
        passed = false;
    }
    if (out.Tell() != static_cast<int64_t>(fileSize)) {
        ReportCheck(owner, "Bitmap file size not as expected");
        passed = false;
    }
    return passed && !out.Failed();
}
