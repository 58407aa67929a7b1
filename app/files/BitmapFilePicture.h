#pragma once

#include <windows.h>

#include <cstdint>

// The picture as the writers read it: a W x H corner of a bottom-up 8-bit DIB with one smooth
// value per DIB byte, and the 256-entry palette window its indices refer to.
struct DibPicture {
    const uint8_t* indices;  // DIB bits, `rows` rows of `stride` bytes, bottom row first
    const float* smooth;     // one value per DIB byte, same layout
    int stride;              // bytes per DIB row
    int rows;                // rows of the DIB
    int width;               // W: picture columns, at most stride
    int height;              // H: picture rows, at most rows
    const RGBQUAD* palette;  // 256 entries
};

// Offset of picture row y (0 = top) in the DIB: the picture fills the last H memory rows.
inline size_t DibRowOffset(const DibPicture& picture, int y)
{
    return static_cast<size_t>(picture.rows - 1 - y) * static_cast<size_t>(picture.stride);
}

// A width x height picture in a DIB of dibWidth x rows pixels (rows of `stride` bytes), clipped
// to the DIB: an image area spread over two monitors may be larger than screen-size buffers.
// Without buffers the picture is empty.
DibPicture MakeDibPicture(const uint8_t* indices, const float* smooth, int stride, int rows, int dibWidth,
                          int width, int height, const RGBQUAD* palette);
