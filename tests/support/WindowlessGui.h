#pragma once

#include <windows.h>

#include "app/window/ZorbGUI.h"

// The window object without a message loop that would start renders, as the file, view,
// palette and saver tests work on it: an image of width x height pixels in the buffers the
// window makes, for a screen of kTestScreenWidth x kTestScreenHeight or of the image's size
// where that is larger; the default view in set mode, formula 2, limit 512, linear colouring;
// the Rainbow palette at cycle offset 0, cycling forwards at step 1; no undo history, no popup
// point, no render due; the temporary folder as the program's folder and the file-dialog
// record as the window fills it. `window` stands in for the main window (none by default).
ZorbGUI* WindowlessGui(int width, int height, HWND window = nullptr);

constexpr int kTestScreenWidth = 400;
constexpr int kTestScreenHeight = 300;
