// State that must not outlive what it belongs to: the right-click point after its popup, the
// Julia constant in the status bar after Julia mode, and progress tips after their render.
#include <gtest/gtest.h>

#include <windows.h>
#include <cstdio>
#include <string>

#include "app/resources/resource.h"
#include "render/LambdaConstant.h"
#include "tests/app_window/WindowFixture.h"

namespace {

// Runs inside the tracked popup menu: picks the item at a position with the keyboard, as a
// user would, or dismisses the menu when no position is given.
struct PopupChooser {
    static inline int downs = 0; // arrow-down presses to reach the item; 0 dismisses
    static inline HWND owner = nullptr;
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD)
    {
        if (PopupMenuHandle == nullptr) {
            return;
        }
        KillTimer(nullptr, id);
        if (downs == 0) {
            EndMenu();
            return;
        }
        for (int i = 0; i < downs; ++i) {
            PostMessageA(owner, WM_KEYDOWN, VK_DOWN, 0);
        }
        PostMessageA(owner, WM_KEYDOWN, VK_RETURN, 0);
    }
};

std::string JuliaText(double re, double im)
{
    char text[320];
    std::snprintf(text, sizeof(text), "Initial %.64G , %.64G i", re, im);
    return text;
}

class StaleStateTest : public WindowFixture {
protected:
    // Right click at an image point; the popup then gets `downs` arrow-down presses and Enter,
    // or is dismissed. Another test program's window appearing on the shared display takes the
    // activation and closes an open menu before its keys arrive, as it would for a user; the
    // user then right-clicks again, and so does this, until the chosen item has changed the
    // view or the mode (every item these tests choose does).
    void RightClickAndChoose(int x, int y, int downs)
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            const View before = gui->view;
            const int count = gui->viewHistory.count;
            const bool julia = gui->julia;
            PopupChooser::downs = downs;
            PopupChooser::owner = gui->hwnd;
            const UINT_PTR timer = SetTimer(nullptr, 0, 10, &PopupChooser::OnTimer);
            SendMessageA(gui->hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(gui->hwnd), ScreenPointParam(gui, x, y));
            KillTimer(nullptr, timer);
            const bool changed = gui->viewHistory.count != count || gui->julia != julia ||
                                 gui->view.xMin != before.xMin || gui->view.xMax != before.xMax ||
                                 gui->view.yMax != before.yMax;
            if (downs == 0 || changed) {
                return;
            }
        }
    }
};

TEST_F(StaleStateTest, RightClickPointServesOnlyTheItemChosenFromItsPopup)
{
    // Items in set mode with an undo entry: Zoom out, Julia, Lambda, Mandelbrot (grayed, yet
    // reached by the arrow keys), separator, Undo, Reset.
    struct Case {
        const char* name;
        int downs;
    };
    const Case cases[] = {
        {"popup dismissed", 0},
        {"Zoom out chosen", 1},
        {"Undo chosen", 5},
        {"Reset chosen", 6},
    };
    const int rightX = 40;
    const int rightY = 30;
    const int middleX = 350;
    const int middleY = 220;
    for (const Case& c : cases) {
        SendKey(gui, VK_F2);
        ASSERT_TRUE(WaitForRender(gui)) << c.name;
        SendCommand(gui, PopupCommandId::ZoomOut); // something to undo
        ASSERT_TRUE(WaitForRender(gui)) << c.name;
        const int count = gui->viewHistory.count;
        const double span = gui->view.xMax - gui->view.xMin;
        RightClickAndChoose(rightX, rightY, c.downs);
        ASSERT_TRUE(WaitForRender(gui)) << c.name;
        const double spanNow = gui->view.xMax - gui->view.xMin;
        switch (c.downs) {
        case 1: EXPECT_EQ(gui->viewHistory.count, count + 1) << c.name << ": not chosen"; break;
        case 5: EXPECT_EQ(gui->viewHistory.count, count - 1) << c.name << ": not chosen"; break;
        case 6: EXPECT_LT(spanNow, span * 0.5) << c.name << ": not chosen"; break;
        default: EXPECT_EQ(spanNow, span) << c.name; break;
        }
        EXPECT_FALSE(gui->popupPointValid) << c.name;

        // The next middle click takes its own point.
        const View v = gui->view;
        Mouse(WM_MBUTTONUP, 0, middleX, middleY);
        EXPECT_TRUE(gui->julia) << c.name;
        EXPECT_DOUBLE_EQ(gui->juliaRe, middleX * v.spanX / width + v.xMin) << c.name;
        EXPECT_DOUBLE_EQ(gui->juliaIm, v.yMax - middleY * v.spanY / height) << c.name;
        ASSERT_TRUE(WaitForRender(gui)) << c.name;
    }

    // Linear (lambda) from the main menu after a dismissed popup: the top-left point.
    SendKey(gui, VK_F2);
    ASSERT_TRUE(WaitForRender(gui));
    RightClickAndChoose(rightX, rightY, 0);
    const View v = gui->view;
    SendCommand(gui, CommandId::FormulaLambda);
    EXPECT_EQ(LambdaConstant.re, v.xMin);
    EXPECT_EQ(LambdaConstant.im, v.yMax);
    ASSERT_TRUE(WaitForRender(gui));

    // Julia chosen from the popup still takes the right-click point.
    SendKey(gui, VK_F2);
    ASSERT_TRUE(WaitForRender(gui));
    const View w = gui->view;
    RightClickAndChoose(rightX, rightY, 2);
    EXPECT_TRUE(gui->julia);
    EXPECT_DOUBLE_EQ(gui->juliaRe, rightX * w.spanX / width + w.xMin);
    EXPECT_DOUBLE_EQ(gui->juliaIm, w.yMax - rightY * w.spanY / height);
    ASSERT_TRUE(WaitForRender(gui));
    LambdaConstant = ComplexConstant{static_cast<double>(0.2f), 1.0};
}

TEST_F(StaleStateTest, JuliaConstantLeavesTheStatusBarWithJuliaMode)
{
    struct Case {
        const char* name;
        void (*leave)(ZorbGUI*);
    };
    const Case cases[] = {
        {"middle click back to set mode",
         [](ZorbGUI* g) { SendMessageA(g->hwnd, WM_MBUTTONUP, 0, ImagePointParam(g, 10, 10)); }},
        {"Linear (lambda)", [](ZorbGUI* g) { SendCommand(g, CommandId::FormulaLambda); }},
        {"Reset", [](ZorbGUI* g) { SendKey(g, VK_F2); }},
    };
    for (const Case& c : cases) {
        SendKey(gui, VK_F2);
        ASSERT_TRUE(WaitForRender(gui)) << c.name;
        Mouse(WM_MBUTTONUP, 0, 150, 90);
        ASSERT_TRUE(WaitForRender(gui)) << c.name;
        ASSERT_EQ(StatusText(gui, StatusPart::Progress), JuliaText(gui->juliaRe, gui->juliaIm)) << c.name;

        c.leave(gui);
        ASSERT_TRUE(WaitForRender(gui)) << c.name;
        EXPECT_FALSE(gui->julia) << c.name;
        EXPECT_EQ(StatusText(gui, StatusPart::Progress), "") << c.name;
        EXPECT_EQ(StatusTip(gui, StatusPart::Progress).rfind("Initial", 0), std::string::npos) << c.name;
    }
    LambdaConstant = ComplexConstant{static_cast<double>(0.2f), 1.0};
}

// The window answers its render's sent messages while posted ones wait (as it does while it
// waits for a render to end): the progress tips the workers posted are then handled after
// the driver's last call. The end-of-render texts must still be what part 1 shows.
TEST_F(StaleStateTest, EndOfRenderTextsWinOverProgressTipsStillQueued)
{
    const POINT points[] = {{150, 90}, {400, 300}, {60, 250}};
    for (const POINT p : points) {
        if (gui->julia) {
            SendKey(gui, VK_F2);
            ASSERT_TRUE(WaitForRender(gui));
        }
        Mouse(WM_MBUTTONUP, 0, p.x, p.y);
        ASSERT_TRUE(gui->julia);
        // Up to the render's start, and not one posted message further.
        const DWORD start = GetTickCount();
        MSG msg;
        while (!gui->IsRenderActive() && GetTickCount() - start < 10000) {
            if (PeekMessageA(&msg, gui->hwnd, WM_PAINT, WM_PAINT, PM_REMOVE)) {
                DispatchMessageA(&msg);
            }
        }
        ASSERT_TRUE(gui->IsRenderActive());
        ASSERT_TRUE(AnswerSentMessagesUntilTheRenderEnds(gui));
        ASSERT_TRUE(WaitForRender(gui));

        const std::string initial = JuliaText(gui->juliaRe, gui->juliaIm);
        EXPECT_EQ(StatusText(gui, StatusPart::Progress), initial);
        EXPECT_EQ(StatusTip(gui, StatusPart::Progress).substr(0, 79), initial.substr(0, 79))
            << "a progress tip came after the end of its render";
    }
}

} // namespace
