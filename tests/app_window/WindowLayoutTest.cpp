// The main window's bars under every kind of resize, and the fullscreen window on the screen.
#include <gtest/gtest.h>

#include <windows.h>
#include <functional>
#include <string>

#include "tests/app_window/WindowFixture.h"

namespace {

RECT ChildRectInClient(HWND parent, HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The status bar spans the bottom of the client area at its own height and the progress bar
// sits inside its second part: no piece of either is left over the picture. (Geometry, not
// pixels: a window as wide as the screen is covered by whatever other test program's window
// shares the display.)
void ExpectBarsAtTheBottom(ZorbGUI* gui, int barHeight, const std::string& what)
{
    RECT client;
    GetClientRect(gui->hwnd, &client);
    const RECT bar = ChildRectInClient(gui->hwnd, gui->statusBar);
    EXPECT_EQ(bar.left, 0) << what;
    EXPECT_EQ(bar.right, client.right) << what;
    EXPECT_EQ(bar.bottom, client.bottom) << what;
    EXPECT_EQ(bar.bottom - bar.top, barHeight) << what;
    EXPECT_GE(bar.top, gui->imageTop + gui->GetHeight()) << what << ": the status bar covers the picture";

    const RECT progress = ChildRectInClient(gui->hwnd, gui->progressBar);
    EXPECT_EQ(progress.left, bar.left + gui->statusPartEdges[0] + 3) << what;
    EXPECT_GE(progress.top, bar.top) << what;
    EXPECT_LE(progress.bottom, bar.bottom) << what;
    EXPECT_LE(progress.right, bar.right) << what;
    EXPECT_TRUE(IsWindowVisible(gui->statusBar)) << what;
    EXPECT_TRUE(IsWindowVisible(gui->progressBar)) << what;
}

class WindowLayoutTest : public WindowFixture {};

TEST_F(WindowLayoutTest, StatusBarFollowsEveryKindOfResize)
{
    RECT original;
    GetWindowRect(gui->hwnd, &original);
    const RECT start = ChildRectInClient(gui->hwnd, gui->statusBar);
    const int barHeight = start.bottom - start.top;
    ExpectBarsAtTheBottom(gui, barHeight, "at start");

    const HWND window = gui->hwnd;
    auto frameDrag = [window](int width, int height) {
        // The size/move loop's bracket around the sizes the frame went through.
        SendMessageA(window, WM_ENTERSIZEMOVE, 0, 0);
        SetWindowPos(window, nullptr, 0, 0, width - 40, height - 30, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageA(window, WM_EXITSIZEMOVE, 0, 0);
    };
    struct Step {
        const char* name;
        std::function<void()> resize;
    };
    const Step steps[] = {
        {"maximised", [window] { ShowWindow(window, SW_MAXIMIZE); }},
        {"restored from maximised", [window] { ShowWindow(window, SW_RESTORE); }},
        {"frame dragged larger", [frameDrag] { frameDrag(800, 650); }},
        {"frame dragged smaller", [frameDrag] { frameDrag(520, 430); }},
        {"minimised and restored", [window] {
             ShowWindow(window, SW_MINIMIZE);
             PumpFor(0);
             ShowWindow(window, SW_RESTORE);
         }},
        {"maximised, minimised and restored", [window] {
             ShowWindow(window, SW_MAXIMIZE);
             PumpFor(0);
             ShowWindow(window, SW_MINIMIZE);
             PumpFor(0);
             ShowWindow(window, SW_RESTORE);
         }},
        {"restored again", [window] { ShowWindow(window, SW_RESTORE); }},
    };
    for (const Step& step : steps) {
        step.resize();
        ASSERT_TRUE(WaitForRender(gui)) << step.name;
        ExpectBarsAtTheBottom(gui, barHeight, step.name);
    }

    SetWindowPos(gui->hwnd, nullptr, original.left, original.top, original.right - original.left,
                 original.bottom - original.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitForRender(gui));
    ExpectBarsAtTheBottom(gui, barHeight, "back at the first size");
}

TEST(FullscreenWindow, IsOnTheScreenWithItsMenuBar)
{
    ZorbGUI* gui = OpenMainWindow("fullscreen");
    ASSERT_NE(gui, nullptr);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT frame;
    GetWindowRect(gui->hwnd, &frame);
    EXPECT_GE(frame.left, 0);
    EXPECT_GE(frame.top, 0);
    EXPECT_LE(frame.right, screenWidth);
    EXPECT_LE(frame.bottom, screenHeight);

    MENUBARINFO menuBar{};
    menuBar.cbSize = sizeof(menuBar);
    ASSERT_TRUE(GetMenuBarInfo(gui->hwnd, OBJID_MENU, 0, &menuBar));
    EXPECT_GE(menuBar.rcBar.top, 0) << "the menu bar lies above the screen";
    EXPECT_GT(menuBar.rcBar.bottom, menuBar.rcBar.top);

    RECT bar;
    GetWindowRect(gui->statusBar, &bar);
    EXPECT_LE(bar.bottom, screenHeight) << "the status bar lies below the screen";
    const RECT start = ChildRectInClient(gui->hwnd, gui->statusBar);
    ExpectBarsAtTheBottom(gui, start.bottom - start.top, "fullscreen");
    CloseMainWindow();
}

} // namespace
