#pragma once

#include <cstdint>

struct RenderBand;
class IRenderCallbackInterface;

// Whether single precision can tell the pixels of the request apart. With many threads: the
// drift of adding one float step per pixel across the picture stays within two steps. With one
// thread: each bound plus one step differs from the bound.
bool CheckFloatPrecision(const RenderBand* request, bool manyThreads, IRenderCallbackInterface* client);
// The same tests in double.
bool CheckDoublePrecision(const RenderBand* request, bool manyThreads, IRenderCallbackInterface* client);

// |start + count * step - end| with the sum taken one addition at a time in float (or double).
// A count of 0 or less adds nothing.
double AccumulateStepsFloat(double start, double end, double step, int count);
double AccumulateStepsDouble(double start, double end, double step, int count);

int CountSetBits(uint64_t mask);
