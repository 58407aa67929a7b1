#include <cmath>
#include <cstring>

#include "app/palette/Palette.h"

namespace {

constexpr int kShown = 256;

// The square root is taken of the count at single precision and scaled in double, truncated.
BYTE Ramp(double scale, int n)
{
    return static_cast<BYTE>(static_cast<int>(scale * std::sqrt(static_cast<double>(static_cast<float>(n)))));
}

// A ramp value that runs past 255 near the end of its band is held there.
BYTE RampOrFull(double scale, int n, bool full)
{
    return full ? 255 : Ramp(scale, n);
}

void BuildRainbow(PaletteTable* table)
{
    PaletteCursor cursor{table, 0};
    for (int i = 0; i <= 42; ++i) {
        cursor.Append(255, RampOrFull(40.0, i, i > 40), 0);
    }
    for (int i = 43; i <= 84; ++i) {
        cursor.Append(RampOrFull(40.0, 84 - i, i <= 44), 255, 0);
    }
    for (int i = 85; i <= 126; ++i) {
        cursor.Append(0, 255, RampOrFull(40.0, i - 85, i > 124));
    }
    for (int i = 127; i <= 168; ++i) {
        cursor.Append(0, RampOrFull(40.0, 168 - i, i <= 128), 255);
    }
    for (int i = 169; i <= 210; ++i) {
        cursor.Append(RampOrFull(40.0, i - 169, i > 208), 0, 255);
    }
    for (int i = 211; i <= 255; ++i) {
        cursor.Append(255, 0, RampOrFull(38.0, 255 - i, i <= 212));
    }
    std::memcpy(table->entries + kShown, table->entries, kShown * sizeof(RGBQUAD));
}

// Mono and grey ramps rise over the first half and fall over the second, so cycling never
// jumps from the brightest colour straight to the darkest.
void BuildRamp(PaletteTable* table, bool red, bool green, bool blue)
{
    PaletteCursor cursor{table, 0};
    for (int i = 0; i < PaletteTable::kEntries; ++i) {
        const int rise = i < kShown ? i + 1 : 513 - i;
        const BYTE v = static_cast<BYTE>(rise < 255 ? rise : 255);
        cursor.Append(red ? v : 0, green ? v : 0, blue ? v : 0);
    }
}

struct Rgb {
    BYTE red;
    BYTE green;
    BYTE blue;
};

void BuildBinary(PaletteTable* table, Rgb even, Rgb odd)
{
    PaletteCursor cursor{table, 0};
    for (int i = 0; i < PaletteTable::kEntries; ++i) {
        const Rgb& c = (i % 2 == 0) ? even : odd;
        cursor.Append(c.red, c.green, c.blue);
    }
}

void BuildPsychadelic(PaletteTable* table)
{
    static const Rgb kColours[6] = {
        {255, 0, 0}, {0, 255, 0}, {255, 0, 255}, {0, 0, 255}, {255, 127, 0}, {0, 255, 255},
    };
    PaletteCursor cursor{table, 0};
    for (int i = 0; i < 510; ++i) {
        const Rgb& c = kColours[i % 6];
        cursor.Append(c.red, c.green, c.blue);
    }
}

} // namespace

void PaletteCursor::Append(BYTE red, BYTE green, BYTE blue)
{
    RGBQUAD& entry = table->entries[next];
    entry.rgbBlue = blue;
    entry.rgbGreen = green;
    entry.rgbRed = red;
    entry.rgbReserved = 0;
    ++next;
}

void BuildPaletteTable(PaletteTable* table, PaletteId id)
{
    switch (id) {
    case PaletteId::Rainbow:
        BuildRainbow(table);
        break;
    case PaletteId::MonoRed:
        BuildRamp(table, true, false, false);
        break;
    case PaletteId::MonoGreen:
        BuildRamp(table, false, true, false);
        break;
    case PaletteId::MonoBlue:
        BuildRamp(table, false, false, true);
        break;
    case PaletteId::Greyscale:
        BuildRamp(table, true, true, true);
        break;
    case PaletteId::BinaryRed:
        BuildBinary(table, {255, 0, 1}, {0, 0, 1});
        break;
    case PaletteId::BinaryGreen:
        BuildBinary(table, {0, 255, 1}, {0, 0, 1});
        break;
    case PaletteId::BinaryBlue:
        BuildBinary(table, {1, 0, 255}, {1, 0, 0});
        break;
    case PaletteId::Psychadelic:
        BuildPsychadelic(table);
        break;
    }
}

void FillColourTable(RGBQUAD* colourTable, const RGBQUAD* window, RGBQUAD inside)
{
    std::memcpy(colourTable, window, kInsideColourIndex * sizeof(RGBQUAD));
    colourTable[kInsideColourIndex] = inside;
}
