#pragma once

#include <windows.h>

#include "render/Formula.h"

// What the large-picture saver takes from the main window: formula, Julia settings, colour
// mapping and the 256-entry palette window. Copied on the UI thread when a save starts, so
// the saver's threads never read the window object: colour cycling goes on moving the palette
// window during a save, and after a cancel the window may change settings, or be gone, while
// the stopped render winds down. A save therefore keeps one palette from top to bottom.
struct WindowRenderSettings {
    RGBQUAD palette[256];
    int formula = Formula::Power2;
    bool julia = false;
    double juliaRe = 0.0;
    double juliaIm = 0.0;
    bool linearColouring = true;
};
