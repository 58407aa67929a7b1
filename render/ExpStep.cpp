#include "render/ExpStep.h"

#include <math.h>

void ExpStep(float re, float im, float* newRe, float* newIm)
{
    const double e = expf(re);
    const double angle = im;
    *newRe = static_cast<float>(cos(angle) * e);
    *newIm = static_cast<float>(sin(angle) * e);
}

void ExpStep(double re, double im, double* newRe, double* newIm)
{
    const double e = exp(re);
    *newRe = cos(im) * e;
    *newIm = sin(im) * e;
}
