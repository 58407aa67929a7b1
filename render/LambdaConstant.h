#pragma once

struct ComplexConstant {
    double re;
    double im;
};

// The lambda of formula 1, z <- lambda * (z - z^2). The window sets it when the user picks a
// point; each lambda kernel reads it once, at the start of its band.
extern ComplexConstant LambdaConstant;
