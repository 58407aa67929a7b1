#pragma once

#include <cstdint>

// The colour index of a point counted as inside: it did not escape within the iteration limit,
// or the known-inside test settled it. Escape colours lie below it, so every palette can keep
// this index for the inside colour whatever the cycle offset.
constexpr uint8_t kInsideColourIndex = 255;
