#pragma once

#include "render/View.h"

// The default view with its steps zeroed (the first render start sets them).
View DefaultView();

// The view shown after switching between Julia and set mode on a width x height image: x from
// -2 to 2 when entering Julia mode, -2 to 1 when leaving it, the default imaginary range, then
// given equal steps.
View JuliaSwitchView(bool enteringJulia, int width, int height);
