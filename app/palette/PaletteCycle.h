#pragma once

#include "app/palette/Palette.h"

// Colour-cycle speed: milliseconds slept after each step, and the step, which moves the
// palette window by step + 1 entries.
constexpr int kCycleDelayMax = 10000;
constexpr int kCycleDelayStep = 10;
constexpr int kCycleStepMax = 64;

// Entries after which the palette repeats: the Psychadelic palette repeats every 6.
int CycleLength(PaletteId id);

// The offset of the palette window one cycle step later, always in 0..length-1.
int NextCycleOffset(int offset, int step, bool reverse, int length);

// Faster first takes the delay down to 0, then raises the step; slower first takes the step
// down to 0, then raises the delay. So only one of the two is ever away from its fastest value,
// and each stops at its limit.
void SpeedUpCycle(int* delay, int* step);
void SlowDownCycle(int* delay, int* step);
