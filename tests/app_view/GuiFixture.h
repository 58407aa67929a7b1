#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "app/window/ZorbGUI.h"

// The window object on a hidden stand-in window that carries the menu items the view and
// palette operations read and check, with buffers of its own (WindowlessGui), so the
// operations run as in the program without a message loop starting renders.
class GuiFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    void SetUp() override;
    void TearDown() override;

    void SetAdaptive(bool on);
    bool IsChecked(int id) const;

    ZorbGUI* gui = nullptr;
    HWND window = nullptr;
    HMENU menu = nullptr;
};
