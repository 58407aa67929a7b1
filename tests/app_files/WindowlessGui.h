#pragma once

#include "app/window/ZorbGUI.h"

// The window object without a window: an image of width x height pixels in test-owned
// screen-size buffers, the Rainbow palette at cycle offset 0, the default view, formula 2.
// What the file commands read and write, without a message loop that would start renders.
ZorbGUI* WindowlessGui(int width, int height);

constexpr int kTestScreenWidth = 400;
constexpr int kTestScreenHeight = 300;
