#include "render/LambdaConstant.h"

// 0.2 as the float it has always been stored as, so that pictures stay the same.
ComplexConstant LambdaConstant = {static_cast<double>(0.2f), 1.0};
