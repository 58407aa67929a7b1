#pragma once

#include <cstdint>

// One band of rows. Rows are 1-based: the band holds rows rowStart+1 to rowEnd. Columns run from
// colStart to colEnd, exclusive. Also the request a client hands to RenderThreadPool::Prepare,
// where rowEnd carries the rows per band.
struct RenderBand {
    int32_t originX;
    int32_t originY;
    int32_t width;
    int32_t height;
    int32_t colStart;
    int32_t rowStart;
    int32_t colEnd;
    int32_t rowEnd;
    double stepX;
    double stepY;

    // The column start is taken and ignored: bands always begin at column 0.
    // Defined out of line so that no vector-flagged unit emits a copy the linker could pick.
    RenderBand(int32_t width, int32_t height, int32_t unusedColStart, int32_t colEnd,
               int32_t rowStart, int32_t rowEnd, double stepX, double stepY);
};
