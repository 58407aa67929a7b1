#pragma once

#include "app/startup/Startup.h"

// The AVX build's start-up decision: its window only with 256 bits; with 128 it offers the
// SSE2 build, with none the scalar build. Compiled without AVX: it runs before the decision.
FallbackChoice AvxStartupChoice(int bits);
