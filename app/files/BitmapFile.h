#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "app/files/BitmapFilePicture.h"
#include "app/files/OutputFile.h"

// A BITMAPINFOHEADER with room for a full 8-bit colour table.
struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

// Layout of the BMP files the program writes: file header, info header, 256 colours, rows.
constexpr uint32_t kBitmapFileHeaderSize = 14;
constexpr uint32_t kBitmapPixelOffset = 1078;  // 14 + 40 + 256 * 4

// Bytes per row of an 8-bit BMP or DIB, (width + 3) & ~3: rows are padded to 4 bytes. In 64
// bits, so that sizes past the format's limits can be told apart from ones within them; exact
// for widths from 0 to 4294967295, and its low 32 bits are the 32-bit stride of any width.
uint64_t BitmapRowStride(int64_t width);

// Fills the header of an 8-bit, 256-colour, bottom-up picture of width x height pixels and
// returns its row stride, BitmapRowStride(width).
// The pels-per-metre fields are set to 0 (no resolution given), so that no header made here
// carries whatever its memory held before.
int InitBitmapInfoHeader(BITMAPINFOHEADER& header, int width, int height);

// Writes the 14-byte file header, `header` and the colour table of an 8-bit BMP whose size is
// in `header`: entries 0..254 from the palette window, entry 255 black, so that points inside
// the set are black whatever the palette holds there. Returns the bytes written (1078 when
// every write succeeded). No checks: the large-picture saver writes its rows at offsets.
size_t WriteBitmapHeaders(OutputFile& out, const BITMAPINFOHEADER& header, const RGBQUAD* palette);

// Writes `picture` as a BMP at the file's position (the start of a new file): headers (biWidth
// and biHeight of `header` set to the picture's size first), then the rows bottom row first,
// each padded with zeros to the stride. Checks the pixel offset, the bytes of the rows and
// the file size, and reports a failed check in a message box owned by `owner`; writing goes
// on either way. True when every check passed and every write succeeded.
bool WriteBitmap(OutputFile& out, BitmapInfo256* header, const DibPicture& picture, HWND owner);
