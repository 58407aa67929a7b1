#pragma once

// Formula ids in menu order: what a client answers GetFormula, what a job carries and what a
// co-ordinates file stores. Any other id renders nothing.
namespace Formula {
constexpr int Lambda = 1; // z <- lambda * z * (1 - z), "Linear (lambda)"
constexpr int Power2 = 2; // z^2 + c, "Normal": the window's formula at start and after Reset
constexpr int Power3 = 3; // z^3 + c, "Cubed"
constexpr int Power4 = 4; // z^4 + c, "4th Power"
constexpr int Exp = 5;    // z <- exp(z), "Exponential exp(z)"
}

// Every formula, for the lists that go by formula: X(Name) stands for the id Formula::Name, its
// policy Name##Formula, its kernel Render##Name and a job's branch RenderJob::Run##Name.
#define ZORB_FOR_EACH_FORMULA(X) X(Lambda) X(Power2) X(Power3) X(Power4) X(Exp)

namespace Formula {
// Ids run from 1 to Count.
#define ZORB_COUNT_FORMULA(Name) +1
constexpr int Count = 0 ZORB_FOR_EACH_FORMULA(ZORB_COUNT_FORMULA);
#undef ZORB_COUNT_FORMULA
}
