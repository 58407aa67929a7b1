#include "render/ExpStep.h"

#include <math.h>

#include "render/Stored.h"

// On x87 the run time's functions return in a register wider than their type, so a result is
// stored once to its own type before it takes part in any arithmetic, as it is when returned
// in an SSE register.
using ZORB_KERNEL_NAMESPACE::Stored;

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
