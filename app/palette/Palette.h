#pragma once

#include <windows.h>

#include "render/InsideColourIndex.h"

// The palettes of the Settings > Palette menu, in menu order.
enum class PaletteId : int {
    Rainbow = 0,
    MonoRed = 1,
    MonoGreen = 2,
    MonoBlue = 3,
    Greyscale = 4,
    BinaryRed = 5,
    BinaryGreen = 6,
    BinaryBlue = 7,
    Psychadelic = 8,
};

constexpr int kPaletteCount = 9;

// Twice the 256 colours a picture shows, so that a window of 256 entries can start at any
// cycle offset below 256 without wrapping.
struct PaletteTable {
    static constexpr int kEntries = 512;
    RGBQUAD entries[kEntries];
};

// Appends colours to a table one entry at a time.
struct PaletteCursor {
    PaletteTable* table;
    int next;

    void Append(BYTE red, BYTE green, BYTE blue);
};

// Fills the table with the colours of the palette. Psychadelic writes entries 0..509 only:
// its cycle offset stays below 6, so the last two are never shown.
void BuildPaletteTable(PaletteTable* table, PaletteId id);

// A 256-entry colour table from a palette window: entries 0..254 from the window, entry 255
// the inside colour, so index 255 keeps that colour at any cycle offset.
void FillColourTable(RGBQUAD* colourTable, const RGBQUAD* window, RGBQUAD inside);
