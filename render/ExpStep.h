#pragma once

// z <- exp(z) for one pixel: the C run time's exp of the real part (expf in single
// precision), times the cosine and sine of the imaginary part taken in double; in single
// precision each product is formed in double and then rounded.
//
// Out of line, in a unit built without vector flags: every lane type calls this very code, so
// vector and scalar pictures agree, and no unit built with -mavx carries its own copy of the
// run time's inline expf for the linker to hand to others.
void ExpStep(float re, float im, float* newRe, float* newIm);
void ExpStep(double re, double im, double* newRe, double* newIm);
