#include "render/LambdaConstant.h"

// 0.2 taken at single precision and widened: the lambda pictures and co-ordinates files made
// with the start value depend on exactly this double, not on the nearest one to 0.2.
ComplexConstant LambdaConstant = {static_cast<double>(0.2f), 1.0};
