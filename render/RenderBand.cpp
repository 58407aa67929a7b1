#include "render/RenderBand.h"

RenderBand::RenderBand(int32_t width, int32_t height, int32_t /*unusedColStart*/, int32_t colEnd,
                       int32_t rowStart, int32_t rowEnd, double stepX, double stepY)
    : originX(0), originY(0), width(width), height(height), colStart(0), rowStart(rowStart),
      colEnd(colEnd), rowEnd(rowEnd), stepX(stepX), stepY(stepY) {}
