#include "render/ExpStep.h"

#include <math.h>

namespace {

// On x87 the run time's functions return in a register wider than their type, so a result is
// stored once to its own type before it takes part in any arithmetic, as it is when returned
// in an SSE register.
template <class T>
T Stored(T value)
{
#if __FLT_EVAL_METHOD__ != 0
    __asm__("" : "+m"(value));
#endif
    return value;
}

} // namespace

void ExpStep(float re, float im, float* newRe, float* newIm)
{
    const double e = Stored(expf(re));
    const double angle = im;
    *newRe = static_cast<float>(Stored(cos(angle)) * e);
    *newIm = static_cast<float>(Stored(sin(angle)) * e);
}

void ExpStep(double re, double im, double* newRe, double* newIm)
{
    const double e = Stored(exp(re));
    *newRe = Stored(cos(im)) * e;
    *newIm = Stored(sin(im)) * e;
}
