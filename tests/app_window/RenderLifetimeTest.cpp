// Renders against what changes under them in the real main window: resizes, a new render
// asked for while a slow one runs, the view changed meanwhile, and the window closed meanwhile.
#include <gtest/gtest.h>

#include <windows.h>
#include <algorithm>
#include <thread>

#include "app/resources/resource.h"
#include "tests/app_window/MainWindowTest.h"

namespace {

// Rows of the running render are done: its workers have stepped the progress bar.
bool ProgressStepped(ZorbGUI* gui)
{
    return SendMessageA(gui->progressBar, PBM_GETPOS, 0, 0) > 0;
}

TEST_F(MainWindowTest, ResizingRefitsTheViewAndStaysInsideTheBuffers)
{
    RECT original;
    GetWindowRect(gui->hwnd, &original);
    struct Size {
        const char* name;
        int width;
        int height;
    };
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    for (const Size s : {Size{"narrow and tall", 400, 700}, Size{"wider and taller than the screen", screenWidth + 300,
                                                                  screenHeight + 200}}) {
        SetWindowPos(gui->hwnd, nullptr, 0, 0, s.width, s.height, SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(WaitForRender(gui)) << s.name;
        RECT now;
        GetClientRect(gui->hwnd, &now);
        EXPECT_EQ(gui->clientWidth, now.right) << s.name;
        const int w = gui->GetWidth();
        const int h = gui->GetHeight();
        EXPECT_LE(w, screenWidth) << s.name;
        EXPECT_LE(h, screenHeight) << s.name;
        EXPECT_EQ(gui->rendered.width, w) << s.name;
        ExpectSquarePixels(gui->rendered.view, w, h);
        EXPECT_EQ(CountPictureDifferences(gui, RenderReference(SceneOfLastRender(gui))), 0) << s.name;
    }

    // Smaller than the bars: no picture to draw, and no render starts.
    RECT frame;
    RECT client;
    GetWindowRect(gui->hwnd, &frame);
    GetClientRect(gui->hwnd, &client);
    const int nonClient = (frame.bottom - frame.top) - client.bottom;
    SetWindowPos(gui->hwnd, nullptr, 0, 0, original.right - original.left,
                 nonClient + gui->imageTop + gui->statusHeight - 5, SWP_NOZORDER | SWP_NOACTIVATE);
    PumpFor(100);
    ASSERT_GT(gui->clientHeight, 0);
    EXPECT_LT(gui->GetHeight(), 1);
    EXPECT_FALSE(gui->IsRenderActive());
    EXPECT_FALSE(gui->renderDue);

    SetWindowPos(gui->hwnd, nullptr, original.left, original.top, original.right - original.left,
                 original.bottom - original.top, SWP_NOZORDER | SWP_NOACTIVATE);
    SendKey(gui, VK_F5);
    ASSERT_TRUE(WaitForRender(gui));
    EXPECT_EQ(gui->GetHeight(), height);
}

TEST_F(MainWindowTest, RedrawDuringASlowRenderLeavesOnlyTheNewPicture)
{
    // z^3 + c has no inside test: every inside point runs to the limit.
    gui->maxIterations = 2000000;
    SendCommand(gui, CommandId::FormulaCubed);
    PumpFor(0);
    ASSERT_TRUE(gui->IsRenderActive());
    ASSERT_TRUE(PumpUntil([] { return ProgressStepped(gui); })) << "the old render draws";

    gui->maxIterations = 512;
    SendCommand(gui, CommandId::FormulaNormal);
    PumpFor(0);
    // The stop may end the old render within the command's own short wait, so whether the new
    // one has begun yet depends on timing; what must hold is that nothing of the old is left.
    ASSERT_TRUE(WaitForRender(gui));
    EXPECT_EQ(gui->rendered.view.xMin, gui->view.xMin);
    EXPECT_EQ(gui->formula, 2);
    EXPECT_EQ(CountPictureDifferences(gui, RenderReference(SceneOfLastRender(gui))), 0);
}

TEST_F(MainWindowTest, RenderThreadsSeeWhatTheRenderStartedWith)
{
    gui->maxIterations = 2000000;
    SendCommand(gui, CommandId::FormulaCubed);
    PumpFor(0);
    ASSERT_TRUE(gui->IsRenderActive());
    const View rendered = gui->rendered.view;
    // Commands in the middle of the render, answered before the next paint could restart it:
    // the view changes as Undo or Fix Aspect may change it, and so do the formula and the limit.
    SendCommand(gui, PopupCommandId::ZoomOut);
    SendCommand(gui, CommandId::FormulaFourthPower);
    gui->maxIterations = 600;

    struct Answers {
        const View* view;
        int width;
        int height;
        int formula;
        uint64_t maxIterations;
        bool julia;
    };
    const auto ask = [&] {
        return Answers{gui->GetView(), gui->GetWidth(), gui->GetHeight(), gui->GetFormula(), gui->GetMaxIterations(),
                       gui->IsJulia()};
    };
    Answers renderSide{};
    std::thread asker([&] { renderSide = ask(); });
    asker.join();
    EXPECT_EQ(renderSide.view, &gui->rendered.view);
    EXPECT_EQ(renderSide.view->xMin, rendered.xMin);
    EXPECT_EQ(renderSide.width, width);
    EXPECT_EQ(renderSide.height, height);
    EXPECT_EQ(renderSide.formula, 3);
    EXPECT_EQ(renderSide.maxIterations, 2000000u);
    EXPECT_FALSE(renderSide.julia);

    const Answers uiSide = ask();
    EXPECT_EQ(uiSide.view, &gui->view);
    EXPECT_NE(uiSide.view->xMin, rendered.xMin);
    EXPECT_EQ(uiSide.formula, 4);
    EXPECT_EQ(uiSide.maxIterations, 600u);
    gui->maxIterations = 512;
    SendKey(gui, VK_F2);
    ASSERT_TRUE(WaitForRender(gui));
}

// Closing the window while a slow render runs and its workers wait for answers to the
// progress messages they sent: the window object must outlive every render thread.
TEST(WindowLifetime, ClosingDuringASlowRenderWaitsForItsThreads)
{
    ZorbGUI* gui = OpenMainWindow("windowed");
    ASSERT_NE(gui, nullptr);
    gui->maxIterations = 2000000;
    SendCommand(gui, CommandId::FormulaCubed);
    PumpFor(0);
    ASSERT_TRUE(gui->IsRenderActive());
    // Past the render's start: its workers are drawing rows.
    ASSERT_TRUE(PumpUntil([gui] { return ProgressStepped(gui); }));
    // Answering nothing from here on: a render thread blocks in the next report it sends.
    ASSERT_TRUE(WaitForUnansweredMessage());
    const DWORD start = GetTickCount();
    DestroyWindow(gui->hwnd);
    EXPECT_FALSE(gui->IsRenderActive()) << "the render's threads have ended";
    EXPECT_EQ(gui->memoryDC.get(), nullptr) << "buffers released once no thread can use them";
    CloseMainWindow();
    // Closing must not wait for the render to run its course, which would take hours here.
    // Stopped, its threads end within moments; the bound leaves room for a busy machine.
    EXPECT_LT(GetTickCount() - start, 30000u);
}

// Closing the window during a render at the highest limit, whose inside points would each take
// seconds: the close's bounded wait must see the render's threads end, so that the process can
// end with the window.
TEST(WindowLifetime, ClosingDuringARenderAtTheHighestLimitEndsItsThreads)
{
    ZorbGUI* gui = OpenMainWindow("windowed");
    ASSERT_NE(gui, nullptr);
    gui->maxIterations = 4294967295u;
    // Running: the first escaped pixel of the new render leaves a smooth value in the buffer
    // cleared before it, while the inside points are still in their escape loops.
    float* smooth = gui->GetSmoothBuffer();
    const size_t values = static_cast<size_t>(gui->screenStride) * static_cast<size_t>(gui->screenHeight);
    std::fill(smooth, smooth + values, 0.0f);
    SendCommand(gui, CommandId::FormulaCubed);
    const auto escapedPixelSeen = [&] {
        const volatile float* seen = smooth;
        for (size_t i = 0; i < values; ++i) {
            if (seen[i] != 0.0f) {
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(PumpUntil(escapedPixelSeen));
    ASSERT_TRUE(gui->IsRenderActive());
    DestroyWindow(gui->hwnd);
    EXPECT_FALSE(gui->IsRenderActive()) << "the render's threads have ended";
    CloseMainWindow();
}

} // namespace
