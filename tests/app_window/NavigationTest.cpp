// Moving about the plane in the real main window: clicks, the wheel, undo and reset, Julia mode
// by the middle button and the popup menu, and the lambda constant from the main menu.
#include <gtest/gtest.h>

#include <windows.h>
#include <cstdio>
#include <string>

#include "app/commands/CoordinatesCommands.h"
#include "app/resources/resource.h"
#include "app/view/ViewBounds.h"
#include "render/LambdaConstant.h"
#include "tests/app_window/MainWindowTest.h"

namespace {

TEST_F(MainWindowTest, ClickWithoutDragOnlyAddsAnUndoEntry)
{
    const View before = gui->view;
    const int count = gui->viewHistory.count;
    SendMessageA(gui->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, ImagePointParam(gui, 50, 50));
    SendMessageA(gui->hwnd, WM_LBUTTONUP, 0, ImagePointParam(gui, 50, 50));
    EXPECT_EQ(gui->viewHistory.count, count + 1);
    EXPECT_EQ(gui->view.xMin, before.xMin);
    EXPECT_EQ(gui->view.yMax, before.yMax);
    EXPECT_FALSE(gui->renderDue);
    // A release without a press is nothing at all.
    SendMessageA(gui->hwnd, WM_LBUTTONUP, 0, ImagePointParam(gui, 60, 60));
    EXPECT_EQ(gui->viewHistory.count, count + 1);
}

TEST_F(MainWindowTest, UndoAndResetBringViewsBack)
{
    const View start = gui->view;
    Drag(200, 150, 300, 150, 0);
    ASSERT_TRUE(WaitForRender(gui));
    const View first = gui->view;
    Drag(10, 10, 100, 10, 0);
    ASSERT_TRUE(WaitForRender(gui));

    SendCommand(gui, ToolbarButtonId::Undo);
    EXPECT_EQ(gui->view.xMin, first.xMin);
    EXPECT_EQ(gui->view.yMax, first.yMax);
    ASSERT_TRUE(WaitForRender(gui));
    SendCommand(gui, PopupCommandId::Undo);
    EXPECT_EQ(gui->view.xMin, start.xMin);
    EXPECT_EQ(gui->view.xMax, start.xMax);
    ASSERT_TRUE(WaitForRender(gui));

    SendCommand(gui, CommandId::FormulaExponential);
    gui->julia = true;
    SendKey(gui, VK_F2);
    EXPECT_EQ(gui->formula, 2);
    EXPECT_FALSE(gui->julia);
    EXPECT_EQ(gui->maxIterations, 512u);
    EXPECT_TRUE(MenuChecked(gui, CommandId::FormulaNormal));
    EXPECT_FALSE(MenuChecked(gui, CommandId::FormulaExponential));
    EXPECT_NEAR((gui->view.xMax + gui->view.xMin) * 0.5, -0.5, 1e-9);
    EXPECT_NEAR((gui->view.yMax + gui->view.yMin) * 0.5, 0.0, 1e-9);
    ExpectSquarePixels(gui->view, width, height);
    ASSERT_TRUE(WaitForRender(gui));
    EXPECT_EQ(CountPictureDifferences(gui, RenderReference(SceneOfLastRender(gui))), 0);

    // With an empty history the toolbar's Undo does nothing.
    gui->viewHistory.count = 0;
    const View reset = gui->view;
    SendCommand(gui, ToolbarButtonId::Undo);
    EXPECT_EQ(gui->view.xMin, reset.xMin);
    EXPECT_FALSE(gui->renderDue);
}

TEST_F(MainWindowTest, MiddleClickTogglesJuliaAtThePoint)
{
    const View v = gui->view;
    const int count = gui->viewHistory.count;
    const int px = 150;
    const int py = 90;
    SendMessageA(gui->hwnd, WM_MBUTTONUP, 0, ImagePointParam(gui, px, py));
    EXPECT_TRUE(gui->julia);
    EXPECT_DOUBLE_EQ(gui->juliaRe, px * v.spanX / width + v.xMin);
    EXPECT_DOUBLE_EQ(gui->juliaIm, v.yMax - py * v.spanY / height);
    EXPECT_EQ(gui->viewHistory.count, count) << "no undo entry";
    ASSERT_TRUE(WaitForRender(gui));
    // Julia mode shows x from -2 to 2 before the aspect fix.
    EXPECT_NEAR((gui->view.xMax + gui->view.xMin) * 0.5, 0.0, 1e-9);
    char initial[320];
    std::snprintf(initial, sizeof(initial), "Initial %.64G , %.64G i", gui->juliaRe, gui->juliaIm);
    EXPECT_EQ(StatusText(gui, StatusPart::Progress), initial);
    EXPECT_EQ(StatusTip(gui, StatusPart::Progress).substr(0, 79), std::string(initial).substr(0, 79));
    EXPECT_EQ(CountPictureDifferences(gui, RenderReference(SceneOfLastRender(gui))), 0);

    SendMessageA(gui->hwnd, WM_MBUTTONUP, 0, ImagePointParam(gui, 10, 10));
    EXPECT_FALSE(gui->julia);
    EXPECT_NEAR((gui->view.xMax + gui->view.xMin) * 0.5, -0.5, 1e-9);
    ASSERT_TRUE(WaitForRender(gui));
}

TEST_F(MainWindowTest, ZoomOutAndWheelAdaptTheIterationLimit)
{
    const View start = gui->view;
    SendCommand(gui, PopupCommandId::ZoomOut);
    EXPECT_EQ(gui->maxIterations, 371u);
    EXPECT_NEAR(gui->view.xMax - gui->view.xMin, 5 * (start.xMax - start.xMin), 1e-9);
    ASSERT_TRUE(WaitForRender(gui));

    // A notch of 550 zooms in by 5 about the point under the cursor.
    const View before = gui->view;
    const int px = width / 4;
    const int py = height / 4;
    Wheel(550, px, py);
    EXPECT_EQ(gui->maxIterations, 511u);
    EXPECT_TRUE(gui->wheelPending);
    EXPECT_EQ(gui->view.xMin, before.xMin) << "the view changes only when the wheel zoom is committed";
    const View w = gui->wheelView;
    EXPECT_EQ(StatusText(gui, StatusPart::RenderInfo), Format4("(%G,%G)->(%G,%G)", w.xMin, w.yMin, w.xMax, w.yMax));
    const double fx = static_cast<double>(px) / width;
    EXPECT_NEAR(w.xMin + fx * (w.xMax - w.xMin), before.xMin + fx * before.spanX, 1e-9);
    EXPECT_NEAR(w.xMax - w.xMin, 0.2 * before.spanX, 1e-9);
    ASSERT_TRUE(WaitForRender(gui));
    EXPECT_EQ(gui->view.xMin, w.xMin);
    EXPECT_EQ(gui->rendered.view.xMin, w.xMin);
    EXPECT_EQ(CountPictureDifferences(gui, RenderReference(SceneOfLastRender(gui))), 0);

    // A notch out moves the point half-way to the centre and zooms by 120/110.
    Wheel(-120, 0, 0);
    EXPECT_NEAR(gui->wheelView.xMax - gui->wheelView.xMin, (w.xMax - w.xMin) * 120.0 / 110.0, 1e-9);
    ASSERT_TRUE(WaitForRender(gui));
}

TEST_F(MainWindowTest, WheelWithoutDeltaDoesNotZoom)
{
    const View before = gui->view;
    const uint64_t iterations = gui->maxIterations;
    Wheel(0, 100, 100);
    EXPECT_FALSE(gui->wheelPending);
    EXPECT_EQ(gui->wheelView.xMin, before.xMin);
    EXPECT_EQ(gui->wheelView.xMax, before.xMax);
    EXPECT_EQ(gui->maxIterations, iterations);
    EXPECT_FALSE(KillTimer(gui->hwnd, TimerId::WheelZoomCommit));
}

void WriteFileText(const std::string& path, const char* text)
{
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fputs(text, file);
    fclose(file);
}

// Near the largest double the window's aspect fix and zooms stop short of it: the status bar
// shows the bounds drawn, and the file saved from them loads again.
TEST_F(MainWindowTest, ViewsNearTheLargestDoubleStayFinite)
{
    struct Case {
        const char* name;
        const char* file;
        int zoomOuts;
        int wheelNotches;
    };
    const Case cases[] = {
        // The aspect fix would widen the real axis past the largest double.
        {"a tall view", "-1e-300 1e-300 -8e307 8e307 0 2", 0, 0},
        // The second zoom out would give spans of 5e308.
        {"zoomed out twice", "-1e307 1e307 -7e306 7e306 0 2", 2, 0},
        // Each notch out zooms by 120/110: a few take spans of 1e308 past the largest double.
        {"twelve notches out", "-1e307 1e307 -7e306 7e306 0 2", 1, 12},
    };
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    // The window tests of the three builds run at once and share the temporary folder.
    const std::string path =
        std::string(folder) + "zorb-navigation-largest-" + std::to_string(GetCurrentProcessId()) + ".dat";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MessageBoxAnswerer boxes(gui->GetTitle(), IDOK);
        WriteFileText(path, c.file);
        LoadCoordinatesFromFile(*gui, path.c_str());
        ASSERT_TRUE(WaitForRender(gui));
        for (int i = 0; i < c.zoomOuts; ++i) {
            SendCommand(gui, PopupCommandId::ZoomOut);
            ASSERT_TRUE(WaitForRender(gui));
        }
        for (int i = 0; i < c.wheelNotches; ++i) {
            Wheel(-120, width / 2, height / 2);
            ASSERT_TRUE(IsDrawableView(gui->wheelView)) << "notch " << i;
        }
        ASSERT_TRUE(WaitForRender(gui));
        ASSERT_TRUE(IsDrawableView(gui->view));
        const View v = gui->view;
        const std::string status = StatusText(gui, StatusPart::RenderInfo);
        EXPECT_EQ(status.rfind(Format4("(%G,%G)->(%G,%G) ", v.xMin, v.yMin, v.xMax, v.yMax), 0), 0u) << status;

        SaveCoordinatesToFile(*gui, path.c_str());
        SendKey(gui, VK_F2);
        ASSERT_TRUE(WaitForRender(gui));
        LoadCoordinatesFromFile(*gui, path.c_str());
        EXPECT_FALSE(boxes.Wait(0)) << boxes.text();
        EXPECT_NEAR(gui->view.xMax, v.xMax, (v.xMax - v.xMin) * 1e-12);
        EXPECT_NEAR(gui->view.yMax, v.yMax, (v.yMax - v.yMin) * 1e-12);
        ASSERT_TRUE(WaitForRender(gui));
    }
    remove(path.c_str());
}

// Looks at the tracked popup menu from inside its loop, then closes it.
// Reads the context menu as it opens, then closes it from a timer in the menu's loop. The items
// are read when the menu announces itself, not from the timer: a window of another program
// taking the activation closes an open menu at once, before a timer in its loop would fire.
struct PopupProbe {
    static PopupProbe* current;
    UINT states[7] = {};
    UINT ids[7] = {};
    int count = -1;
    static LRESULT CALLBACK OnCall(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_INITMENUPOPUP && current != nullptr &&
            reinterpret_cast<HMENU>(call->wParam) == PopupMenuHandle) {
            current->count = GetMenuItemCount(PopupMenuHandle);
            for (int i = 0; i < current->count && i < 7; ++i) {
                current->ids[i] = GetMenuItemID(PopupMenuHandle, i);
                current->states[i] = GetMenuState(PopupMenuHandle, i, MF_BYPOSITION);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD)
    {
        if (PopupMenuHandle == nullptr) {
            return;
        }
        KillTimer(nullptr, id);
        EndMenu();
    }
};
PopupProbe* PopupProbe::current = nullptr;

TEST_F(MainWindowTest, ContextMenuStopsTheRenderOffersModesAndKeepsThePoint)
{
    struct Case {
        const char* name;
        bool fromKeyboard;
        bool julia;
    };
    for (const Case c : {Case{"click, set mode", false, false}, Case{"keyboard, Julia mode", true, true}}) {
        gui->julia = c.julia;
        gui->popupPointValid = 0;
        gui->viewHistory.count = 0;
        PopupProbe probe;
        PopupProbe::current = &probe;
        const HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &PopupProbe::OnCall, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, &PopupProbe::OnTimer);
        const LPARAM where = c.fromKeyboard ? static_cast<LPARAM>(-1) : ScreenPointParam(gui, 123, 45);
        SendMessageA(gui->hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(gui->hwnd), where);
        KillTimer(nullptr, timer);
        UnhookWindowsHookEx(hook);
        PopupProbe::current = nullptr;

        ASSERT_EQ(probe.count, 7) << c.name;
        const UINT ids[] = {300, 301, 302, 303, 0, 305, 304};
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(probe.ids[i], ids[i]) << c.name << " item " << i;
        }
        EXPECT_EQ((probe.states[1] & MF_GRAYED) != 0, c.julia) << c.name;
        EXPECT_EQ(probe.states[2] & MF_GRAYED, 0u) << c.name << ": lambda is not selected";
        EXPECT_EQ((probe.states[3] & MF_GRAYED) != 0, !c.julia) << c.name;
        EXPECT_NE(probe.states[4] & MF_SEPARATOR, 0u) << c.name;
        EXPECT_NE(probe.states[5] & MF_GRAYED, 0u) << c.name << ": nothing to undo";
        EXPECT_EQ(PopupMenuHandle, nullptr) << c.name << ": the menu is destroyed after use";
        EXPECT_FALSE(gui->popupPointValid) << c.name << ": a dismissed popup hands its point on to nothing";
        if (c.fromKeyboard) {
            EXPECT_EQ(gui->dragStart.x, width / 2);
            EXPECT_EQ(gui->dragStart.y, height / 2);
        } else {
            EXPECT_EQ(gui->dragStart.x, 123);
            EXPECT_EQ(gui->dragStart.y, 45);
        }
    }
    gui->julia = false;
    // The popup point is what the Julia item uses while its command runs.
    const View v = gui->view;
    gui->popupPointValid = 1;
    SendCommand(gui, PopupCommandId::Julia);
    EXPECT_TRUE(gui->julia);
    EXPECT_FALSE(gui->popupPointValid);
    EXPECT_DOUBLE_EQ(gui->juliaRe, (width / 2) * v.spanX / width + v.xMin);
    ASSERT_TRUE(WaitForRender(gui));
    SendCommand(gui, PopupCommandId::Mandelbrot);
    EXPECT_FALSE(gui->julia);
    ASSERT_TRUE(WaitForRender(gui));
}

TEST_F(MainWindowTest, LambdaFromTheMainMenuTakesTheTopLeftPoint)
{
    gui->popupPointValid = 0;
    const View v = gui->view;
    SendCommand(gui, CommandId::FormulaLambda);
    EXPECT_EQ(gui->formula, 1);
    EXPECT_FALSE(gui->julia);
    EXPECT_EQ(LambdaConstant.re, v.xMin);
    EXPECT_EQ(LambdaConstant.im, v.yMax);
    EXPECT_TRUE(MenuChecked(gui, CommandId::FormulaLambda));
    EXPECT_FALSE(MenuChecked(gui, CommandId::FormulaNormal));
    ASSERT_TRUE(WaitForRender(gui));
    EXPECT_TRUE(gui->lambda);
    EXPECT_EQ(CountPictureDifferences(gui, RenderReference(SceneOfLastRender(gui))), 0);
    LambdaConstant = ComplexConstant{static_cast<double>(0.2f), 1.0};
}

} // namespace
