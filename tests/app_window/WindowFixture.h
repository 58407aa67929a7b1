#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include "app/window/ZorbGUI.h"
#include "tests/app_window/WindowHarness.h"

// One windowed main window for a whole suite, back at the default view before each test.
class WindowFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Keep the real pointer off the window so that no stray mouse move changes the texts.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        gui = OpenMainWindow("windowed");
    }
    static void TearDownTestSuite()
    {
        CloseMainWindow();
        gui = nullptr;
    }
    void SetUp() override
    {
        ASSERT_NE(gui, nullptr);
        ASSERT_TRUE(WaitForRender(gui));
        gui->maxIterations = 512;
        SendKey(gui, VK_F2); // Reset
        ASSERT_TRUE(WaitForRender(gui));
        width = gui->GetWidth();
        height = gui->GetHeight();
    }

    static void Mouse(UINT message, WPARAM keys, int x, int y)
    {
        SendMessageA(gui->hwnd, message, keys, ImagePointParam(gui, x, y));
    }

    static inline ZorbGUI* gui = nullptr;
    int width = 0;
    int height = 0;
};
