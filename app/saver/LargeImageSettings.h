#pragma once

#include <cstdint>

// What the large-picture dialog shows when it opens and takes when a save starts. Kept for
// the program's run only.
struct LargeImageSettings {
    int32_t width = 3840;
    int32_t height = 2160;
    uint32_t iterations = 1000000;
    // -1 until the dialog first opens, which puts the logical processor count here.
    int32_t threads = -1;
};

extern LargeImageSettings LargeImageSettingsInstance;

// The iteration limit typed into the dialog: leading blanks, then decimal digits; a number
// above 4294967295 is taken as 4294967295, as the saver keeps its limit in 32 bits. Text
// without digits leaves `current`.
uint32_t ParseIterationLimit(const char* text, uint32_t current);

// A picture width or height typed into the dialog: decimal digits, blanks around them allowed.
// Empty or other text reads 0. A number above 4294967295 reads as kImageSideCeiling, past every
// size the saver can write, so that it is refused as too large rather than wrapped into a small
// or negative side.
constexpr int64_t kImageSideCeiling = 4294967296;
int64_t ParseImageSide(const char* text);
