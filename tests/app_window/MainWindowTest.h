#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <cstdio>
#include <string>

#include "app/window/ZorbGUI.h"
#include "tests/app_window/WindowFixture.h"

// The main window at the default view in set mode before each test, with the mouse gestures
// the tests make on it.
class MainWindowTest : public WindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_NE(gui, nullptr);
        ASSERT_TRUE(WaitForRender(gui));
        gui->julia = false;
        WindowFixture::SetUp();
    }

    void Drag(int x0, int y0, int x1, int y1, WPARAM keys)
    {
        SendMessageA(gui->hwnd, WM_LBUTTONDOWN, MK_LBUTTON | keys, ImagePointParam(gui, x0, y0));
        SendMessageA(gui->hwnd, WM_MOUSEMOVE, MK_LBUTTON | keys, ImagePointParam(gui, (x0 + x1) / 2, (y0 + y1) / 2));
        SendMessageA(gui->hwnd, WM_MOUSEMOVE, MK_LBUTTON | keys, ImagePointParam(gui, x1, y1));
        SendMessageA(gui->hwnd, WM_LBUTTONUP, keys, ImagePointParam(gui, x1, y1));
    }

    void Wheel(int delta, int x, int y)
    {
        SendMessageA(gui->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))),
                     ScreenPointParam(gui, x, y));
    }
};

inline std::string Format4(const char* format, double a, double b, double c, double d)
{
    char text[256];
    std::snprintf(text, sizeof(text), format, a, b, c, d);
    return text;
}

inline bool MenuChecked(ZorbGUI* gui, int id)
{
    return (GetMenuState(GetMenu(gui->hwnd), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// Spans and the pixel grid of a view: steps equal, as every aspect fix leaves them.
inline void ExpectSquarePixels(const View& v, int width, int height)
{
    const double stepX = (v.xMax - v.xMin) / width;
    const double stepY = (v.yMax - v.yMin) / height;
    EXPECT_NEAR(stepX, stepY, stepX * 0.01);
}
