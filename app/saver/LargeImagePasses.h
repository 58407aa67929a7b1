#pragma once

#include <cstdint>

// The large-picture saver renders T rows per pass, one row per band: pass p holds picture rows
// p x T + 1 to min(p x T + T, H), 1-based from the top. The last pass of a height that is not
// a multiple of T is short.
struct PassRows {
    int32_t first; // 1-based picture row of buffer row 0
    int32_t count; // rows in the pass; 0 past the bottom of the picture
};

int32_t PassCount(int32_t height, int32_t rowsPerPass);
PassRows RowsOfPass(int32_t pass, int32_t rowsPerPass, int32_t height);

// Where picture row y (1-based) starts in a bottom-up 8-bit BMP of that size: the bottom row
// follows the colour table, the top row ends the file.
int64_t BitmapRowOffset(int32_t width, int32_t height, int32_t y);
