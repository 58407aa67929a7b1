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
