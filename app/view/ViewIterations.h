#pragma once

#include <cstdint>

// The iteration limit at start and after Reset.
constexpr uint64_t kDefaultMaxIterations = 512;

// The limit after a zoom by the given linear magnification (above 1 zooms in): the fifth root
// of the magnification times the limit, truncated. Truncation loses a little at every step, so
// zooming out far enough brings the limit to 0, where it stays. A product beyond the range of
// the limit saturates; a magnification that is not a number leaves the limit as it is.
uint64_t AdaptedIterationLimit(uint64_t limit, double magnification);
