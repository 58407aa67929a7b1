// The real main window under Wine: messages in, view, status texts and pixels out.
#include <gtest/gtest.h>

#include <windows.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <regex>
#include <string>
#include <thread>

#include "app/ViewAspect.h"
#include "app/ZorbGUI.h"
#include "app/resources/resource.h"
#include "render/BuildConfig.h"
#include "render/LambdaConstant.h"
#include "render/Processors.h"
#include "render/RenderRunningFlag.h"
#include "tests/app_window/WindowHarness.h"

namespace {

constexpr int kExpectedNumBits = kBuildAvx ? 256 : kBuildSse2 ? 128 : 64;
const double kDefaultYMax = static_cast<double>(1.3f);

std::string Format4(const char* format, double a, double b, double c, double d)
{
    char text[256];
    std::snprintf(text, sizeof(text), format, a, b, c, d);
    return text;
}

bool MenuChecked(ZorbGUI* gui, int id)
{
    return (GetMenuState(GetMenu(gui->hwnd), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

RGBQUAD ScreenColour(ZorbGUI* gui, int index)
{
    RGBQUAD colour{};
    GetDIBColorTable(gui->memoryDC, index, 1, &colour);
    return colour;
}

void ExpectColour(const RGBQUAD& c, int red, int green, int blue)
{
    EXPECT_EQ(c.rgbRed, red);
    EXPECT_EQ(c.rgbGreen, green);
    EXPECT_EQ(c.rgbBlue, blue);
}

// Spans and the pixel grid of a view: steps equal, as every aspect fix leaves them.
void ExpectSquarePixels(const View& v, int width, int height)
{
    const double stepX = (v.xMax - v.xMin) / width;
    const double stepY = (v.yMax - v.yMin) / height;
    EXPECT_NEAR(stepX, stepY, stepX * 0.01);
}

class MainWindowTest : public ::testing::Test {
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
        if (julia()) {
            gui->julia = false;
        }
        gui->maxIterations = 512;
        SendKey(gui, VK_F2); // Reset
        ASSERT_TRUE(WaitForRender(gui));
        width = gui->GetWidth();
        height = gui->GetHeight();
    }
    static bool julia() { return gui->julia; }

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

    static ZorbGUI* gui;
    int width = 0;
    int height = 0;
};

ZorbGUI* MainWindowTest::gui = nullptr;

TEST_F(MainWindowTest, OpensWindowedWithMenuToolbarAndStatusBar)
{
    RECT r;
    GetWindowRect(gui->hwnd, &r);
    EXPECT_EQ(r.right - r.left, 640);
    EXPECT_EQ(r.bottom - r.top, 555);
    EXPECT_EQ(GetWindowLongA(gui->hwnd, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
    char title[64];
    GetWindowTextA(gui->hwnd, title, sizeof(title));
    EXPECT_STREQ(title, "Zorbscape");
    EXPECT_EQ(StatusText(gui, StatusPart::CursorPosition), "Mandelbrot");
    EXPECT_GT(gui->imageTop, 0);
    EXPECT_GT(gui->statusHeight, 0);
    EXPECT_EQ(height, gui->clientHeight - gui->imageTop - gui->statusHeight);

    struct Item {
        int id;
        const char* text;
        bool checked;
    };
    const Item items[] = {
        {40002, "&Load Co-ords", false},       {40009, "&Save Co-ords", false},
        {40023, "Save &Image", false},         {40027, "Save &Cycle Range", false},
        {40052, "Save Lar&ge Image", false},   {40001, "E&xit", false},
        {40018, "&Linear (lambda)", false},    {40012, "&Normal", true},
        {40013, "&Cubed", false},              {40014, "&4th Power", false},
        {40036, "&Exponential exp(z)", false}, {40022, "&Redraw (F5)", false},
        {40028, "&Stop", false},               {40050, "Fix &Aspect (F4)", false},
        {40051, "Rese&t (F2)", false},         {40021, "Max &Iterations", false},
        {40054, "Adaptive Iterations", true},  {40025, "&Linear", true},
        {40026, "&Progressive", false},        {40033, "Rainbow", true},
        {40029, "Mono - Red", false},          {40030, "Mono - Green", false},
        {40031, "Mono - Blue", false},         {40032, "Greyscale", false},
        {40058, "Binary - Red", false},        {40059, "Binary - Green", false},
        {40060, "Binary - Blue", false},       {40061, "Psychadelic", false},
        {40019, "&Go (Home)", false},          {40020, "&Stop (End)", false},
        {40024, "&Reverse (R)", false},        {40034, "&Faster (+)", false},
        {40035, "&Slower (-)", false},         {40037, "&About (F1)", false},
    };
    const HMENU menu = GetMenu(gui->hwnd);
    for (const Item& item : items) {
        char text[64] = {};
        GetMenuStringA(menu, item.id, text, sizeof(text), MF_BYCOMMAND);
        EXPECT_STREQ(text, item.text) << item.id;
        EXPECT_EQ(MenuChecked(gui, item.id), item.checked) << item.id;
    }
    const char* const tops[] = {"&File", "F&ractal", "&Settings", "&Colour Cycling", "&Help"};
    ASSERT_EQ(GetMenuItemCount(menu), 5);
    for (int i = 0; i < 5; ++i) {
        char text[64] = {};
        GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
        EXPECT_STREQ(text, tops[i]);
    }

    const char* const tips[] = {
        "Reset to Mandelbrot", "Open co-ordinates file", "Save to co-ordinates file", "Undo",
        "Save fractal as picture", "Save colour cycle range for animation", "Redraw the current fractal",
        "Start colour cycling", "Stop colour cycling", "Speed up colour cycling", "Slow down colour cycling",
        "Reverse colour cycling", "Stop Rendering", "About Zorbscape",
    };
    ASSERT_EQ(SendMessageA(gui->toolbar, TB_BUTTONCOUNT, 0, 0), 14);
    for (int i = 0; i < 14; ++i) {
        TBBUTTON button{};
        SendMessageA(gui->toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(button.idCommand, 900 + i);
        EXPECT_EQ(button.iBitmap, i);
        NMTTDISPINFOA info{};
        info.hdr.code = TTN_GETDISPINFOA;
        info.hdr.idFrom = 900 + i;
        SendMessageA(gui->hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        ASSERT_NE(info.lpszText, nullptr);
        EXPECT_STREQ(info.lpszText, tips[i]);
    }
    NMTTDISPINFOA other{};
    other.hdr.code = TTN_GETDISPINFOA;
    other.hdr.idFrom = 914;
    SendMessageA(gui->hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&other));
    EXPECT_EQ(other.lpszText, nullptr);
    EXPECT_FALSE(SendMessageA(gui->toolbar, TB_ISBUTTONENABLED, ToolbarButtonId::StopRender, 0))
        << "button 912 is enabled only while rendering";
    const HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(gui->toolbar, TB_GETIMAGELIST, 0, 0));
    const HIMAGELIST hot = reinterpret_cast<HIMAGELIST>(SendMessageA(gui->toolbar, TB_GETHOTIMAGELIST, 0, 0));
    EXPECT_EQ(ImageList_GetImageCount(images), 14);
    EXPECT_EQ(ImageList_GetImageCount(hot), 14);
}

TEST_F(MainWindowTest, RenderMatchesTheEngineAndReportsItInTheStatusBar)
{
    const View& v = gui->renderView;
    EXPECT_DOUBLE_EQ(v.stepX, v.spanX / width);
    EXPECT_DOUBLE_EQ(v.stepY, v.spanY / height);
    ExpectSquarePixels(v, width, height);

    const std::string report = StatusText(gui, StatusPart::RenderInfo);
    const std::string bounds = Format4("(%G,%G)->(%G,%G)", v.xMin, v.yMin, v.xMax, v.yMax);
    ASSERT_EQ(report.compare(0, bounds.size(), bounds), 0) << report;
    const std::regex rest(" Time: [0-9]+\\.[0-9]{4}s   Precision:flt NumBits:" + std::to_string(kExpectedNumBits) +
                          " NumThreads:" + std::to_string(CountLogicalProcessors()) + " MaxIters:512");
    EXPECT_TRUE(std::regex_match(report.substr(bounds.size()), rest)) << report;
    // The status bar's tooltip hands back at most 79 characters.
    EXPECT_EQ(StatusTip(gui, StatusPart::RenderInfo).substr(0, 79), report.substr(0, 79));

    EXPECT_EQ(CountPictureDifferences(gui, RenderReference(SceneOfLastRender(gui))), 0);

    // A deeper view in another formula, through the menu.
    Drag(width / 3, height / 3, width / 3 + 40, height / 3 + 10, 0);
    SendCommand(gui, CommandId::FormulaCubed);
    ASSERT_TRUE(WaitForRender(gui));
    EXPECT_EQ(gui->renderView.xMin, gui->view.xMin);
    EXPECT_TRUE(MenuChecked(gui, CommandId::FormulaCubed));
    EXPECT_FALSE(MenuChecked(gui, CommandId::FormulaNormal));
    EXPECT_EQ(CountPictureDifferences(gui, RenderReference(SceneOfLastRender(gui))), 0);
}

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
    EXPECT_EQ(gui->renderView.xMin, w.xMin);
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

TEST_F(MainWindowTest, KeysAndCommandsDriveColourCycling)
{
    struct Step {
        const char* name;
        bool key;
        WPARAM code;
        int delay;
        int step;
    };
    gui->cycleDelay = 0;
    gui->cycleStep = 63;
    const Step steps[] = {
        {"faster key", true, VK_ADD, 0, 64},
        {"faster at the top", false, CommandId::CycleFaster, 0, 64},
        {"slower key", true, VK_SUBTRACT, 0, 63},
        {"slower command", false, CommandId::CycleSlower, 0, 62},
    };
    for (const Step& s : steps) {
        if (s.key) {
            SendKey(gui, s.code);
        } else {
            SendCommand(gui, static_cast<int>(s.code));
        }
        EXPECT_EQ(gui->cycleDelay, s.delay) << s.name;
        EXPECT_EQ(gui->cycleStep, s.step) << s.name;
    }
    gui->cycleStep = 0;
    SendKey(gui, VK_SUBTRACT);
    EXPECT_EQ(gui->cycleDelay, 10);
    SendKey(gui, VK_ADD);
    EXPECT_EQ(gui->cycleDelay, 0);
    EXPECT_EQ(gui->cycleStep, 0);
    gui->cycleStep = 1;

    const int reverse = gui->cycleReverse;
    SendKey(gui, 'R');
    EXPECT_EQ(gui->cycleReverse, reverse ^ 1);
    SendCommand(gui, CommandId::CycleReverse);
    EXPECT_EQ(gui->cycleReverse, reverse);

    SendKey(gui, VK_HOME);
    EXPECT_TRUE(KillTimer(gui->hwnd, TimerId::ColourCycle));
    SendCommand(gui, CommandId::CycleGo);
    SendKey(gui, VK_END);
    EXPECT_FALSE(KillTimer(gui->hwnd, TimerId::ColourCycle));
    SendCommand(gui, ToolbarButtonId::CycleGo);
    SendCommand(gui, ToolbarButtonId::CycleStop);
    EXPECT_FALSE(KillTimer(gui->hwnd, TimerId::ColourCycle));

    // Keys without a meaning change nothing.
    const View before = gui->view;
    for (WPARAM key : {WPARAM('A'), WPARAM(VK_F3), WPARAM(VK_SPACE), WPARAM(VK_F6)}) {
        SendKey(gui, key);
    }
    EXPECT_EQ(gui->view.xMin, before.xMin);
    EXPECT_FALSE(gui->renderDue);
    EXPECT_EQ(gui->cycleReverse, reverse);
}

TEST_F(MainWindowTest, PalettesAndCyclingReachTheScreenColourTable)
{
    SendCommand(gui, CommandId::PaletteGreyscale);
    EXPECT_TRUE(MenuChecked(gui, CommandId::PaletteGreyscale));
    EXPECT_FALSE(MenuChecked(gui, CommandId::PaletteRainbow));
    EXPECT_EQ(gui->cycleReverse, 1);
    ExpectColour(ScreenColour(gui, 0), 1, 1, 1);
    ExpectColour(ScreenColour(gui, 254), 255, 255, 255);
    ExpectColour(ScreenColour(gui, 255), 0, 0, 0);

    // One reverse step of 2 from offset 0: the window starts at entry 254.
    SendMessageA(gui->hwnd, WM_TIMER, TimerId::ColourCycle, 0);
    EXPECT_EQ(gui->cycleOffset, 254);
    ExpectColour(ScreenColour(gui, 0), 255, 255, 255);
    ExpectColour(ScreenColour(gui, 4), 255, 255, 255);
    ExpectColour(ScreenColour(gui, 5), 254, 254, 254);
    ExpectColour(ScreenColour(gui, 255), 0, 0, 0);
    // No step while a rubber band is dragged.
    gui->dragging = 1;
    SendMessageA(gui->hwnd, WM_TIMER, TimerId::ColourCycle, 0);
    gui->dragging = 0;
    EXPECT_EQ(gui->cycleOffset, 254);

    SendCommand(gui, CommandId::PaletteRainbow);
    EXPECT_EQ(gui->cycleOffset, 0);
    ExpectColour(ScreenColour(gui, 1), 255, 40, 0);
    ExpectColour(ScreenColour(gui, 124), 0, 255, 249);
    ExpectColour(ScreenColour(gui, 255), 0, 0, 0);
    SendCommand(gui, CommandId::PaletteBinaryBlue);
    ExpectColour(ScreenColour(gui, 0), 1, 0, 255);
    ExpectColour(ScreenColour(gui, 1), 1, 0, 0);
    SendCommand(gui, CommandId::PalettePsychadelic);
    gui->cycleReverse = 0;
    SendMessageA(gui->hwnd, WM_TIMER, TimerId::ColourCycle, 0);
    SendMessageA(gui->hwnd, WM_TIMER, TimerId::ColourCycle, 0);
    SendMessageA(gui->hwnd, WM_TIMER, TimerId::ColourCycle, 0);
    EXPECT_EQ(gui->cycleOffset, 0) << "three steps of 2 round a cycle of 6";

    SendCommand(gui, CommandId::ColouringProgressive);
    EXPECT_FALSE(gui->linearColouring);
    EXPECT_TRUE(MenuChecked(gui, CommandId::ColouringProgressive));
    EXPECT_FALSE(MenuChecked(gui, CommandId::ColouringLinear));
    EXPECT_FALSE(gui->renderDue) << "the mapping applies from the next render";
    SendCommand(gui, CommandId::Redraw);
    ASSERT_TRUE(WaitForRender(gui));
    EXPECT_EQ(CountPictureDifferences(gui, RenderReference(SceneOfLastRender(gui))), 0);
    SendCommand(gui, CommandId::ColouringLinear);
    EXPECT_TRUE(gui->linearColouring);
    SendCommand(gui, CommandId::PaletteRainbow);
}

TEST_F(MainWindowTest, CursorPositionAndProgressTexts)
{
    const View v = gui->view;
    SendMessageA(gui->hwnd, WM_MOUSEMOVE, 0, ImagePointParam(gui, 320, 100));
    char expected[64];
    std::snprintf(expected, sizeof(expected), "(%.4f,%.4f)", 320.0 / gui->clientWidth * v.spanX + v.xMin,
                  v.yMax - (100.0 + 1) / height * v.spanY);
    EXPECT_EQ(StatusText(gui, StatusPart::CursorPosition), expected);

    // A tip of the render in flight is shown; one that arrives after its render's end is not.
    float half = 50.0f;
    uint32_t bits;
    std::memcpy(&bits, &half, sizeof(bits));
    gui->tipsOpen = true;
    PostMessageA(gui->hwnd, ZorbMessage::ProgressTip, bits, static_cast<LPARAM>(gui->renderSerial));
    PumpFor(0);
    EXPECT_EQ(StatusTip(gui, StatusPart::Progress), "50.0%");
    gui->tipsOpen = false;
    float late = 87.8f;
    std::memcpy(&bits, &late, sizeof(bits));
    PostMessageA(gui->hwnd, ZorbMessage::ProgressTip, bits, static_cast<LPARAM>(gui->renderSerial));
    PumpFor(0);
    EXPECT_EQ(StatusTip(gui, StatusPart::Progress), "50.0%");

    // A render leaves its last progress tip behind.
    SendKey(gui, VK_F5);
    ASSERT_TRUE(WaitForRender(gui));
    const std::string tip = StatusTip(gui, StatusPart::Progress);
    EXPECT_TRUE(std::regex_match(tip, std::regex("[0-9]+\\.[0-9]%"))) << tip;
    EXPECT_EQ(SendMessageA(gui->progressBar, PBM_GETPOS, 0, 0), 0);
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

TEST_F(MainWindowTest, AdaptiveIterationsCommandTogglesTheSetting)
{
    SendCommand(gui, CommandId::AdaptiveIterations);
    EXPECT_FALSE(MenuChecked(gui, CommandId::AdaptiveIterations));
    SendCommand(gui, PopupCommandId::ZoomOut);
    EXPECT_EQ(gui->maxIterations, 512u);
    gui->maxIterations = 700;
    SendKey(gui, VK_F2);
    EXPECT_EQ(gui->maxIterations, 700u) << "Reset keeps the limit when not adaptive";
    SendCommand(gui, CommandId::AdaptiveIterations);
    EXPECT_TRUE(MenuChecked(gui, CommandId::AdaptiveIterations));
    ASSERT_TRUE(WaitForRender(gui));
}

TEST_F(MainWindowTest, StopCommandsClearTheRunningFlag)
{
    for (int id : {CommandId::StopRender, ToolbarButtonId::StopRender}) {
        RenderRunningFlag.exchange(true);
        SendCommand(gui, id);
        EXPECT_FALSE(RenderRunningFlag.load()) << id;
    }
    EXPECT_EQ(SendMessageA(gui->hwnd, WM_COMMAND, CommandId::NoOperation, 0), 0);
}

TEST_F(MainWindowTest, CommandsKeysAndButtonsOpenTheirDialogs)
{
    struct Case {
        const char* name;
        bool key;
        int code;
        const char* caption;
    };
    const Case cases[] = {
        {"About", false, CommandId::About, "About NewZorb"},
        {"F1", true, VK_F1, "About NewZorb"},
        {"About button", false, ToolbarButtonId::About, "About NewZorb"},
        {"Max Iterations", false, CommandId::MaxIterations, "Enter Maximum Iterations"},
        {"Save Large Image", false, CommandId::SaveLargeImage, "Save Large Image Directly To Disk"},
        {"Load Co-ords button", false, ToolbarButtonId::OpenCoords, "Open Existing Fractal..."},
        {"Save Co-ords", false, CommandId::SaveCoords, "Save Fractal as ..."},
        {"Save Image button", false, ToolbarButtonId::SaveImage, "Save Fractal as ..."},
        {"Save Cycle Range", false, CommandId::SaveCycleRange, "Save Sequence as ..."},
    };
    const uint64_t iterations = gui->maxIterations;
    const View before = gui->view;
    for (const Case& c : cases) {
        MessageBoxAnswerer answer(c.caption, IDCANCEL);
        if (c.key) {
            SendKey(gui, static_cast<WPARAM>(c.code));
        } else {
            SendCommand(gui, c.code);
        }
        EXPECT_TRUE(answer.Wait(5000)) << c.name;
    }
    EXPECT_EQ(gui->maxIterations, iterations);
    EXPECT_EQ(gui->view.xMin, before.xMin);
    ASSERT_TRUE(WaitForRender(gui));
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
        EXPECT_EQ(gui->renderWidth, w) << s.name;
        ExpectSquarePixels(gui->renderView, w, h);
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
    const HANDLE slow = gui->renderThread;
    PumpFor(200);

    gui->maxIterations = 512;
    SendCommand(gui, CommandId::FormulaNormal);
    PumpFor(0);
    EXPECT_EQ(gui->renderThread, slow) << "the new render waits for the old one to end";
    ASSERT_TRUE(WaitForRender(gui));
    EXPECT_EQ(gui->renderView.xMin, gui->view.xMin);
    EXPECT_EQ(gui->formula, 2);
    EXPECT_EQ(CountPictureDifferences(gui, RenderReference(SceneOfLastRender(gui))), 0);
}

TEST_F(MainWindowTest, RenderThreadsSeeTheViewAndSizeTheRenderStartedWith)
{
    gui->maxIterations = 2000000;
    SendCommand(gui, CommandId::FormulaCubed);
    PumpFor(0);
    ASSERT_TRUE(gui->IsRenderActive());
    const View rendered = gui->renderView;
    // A command changing the view in the middle of the render, as Undo or Fix Aspect may.
    SendCommand(gui, PopupCommandId::ZoomOut);
    const View* seen = nullptr;
    int seenWidth = 0;
    std::thread renderSide([&] {
        seen = gui->GetView();
        seenWidth = gui->GetWidth();
    });
    renderSide.join();
    EXPECT_EQ(seen, &gui->renderView);
    EXPECT_EQ(seen->xMin, rendered.xMin);
    EXPECT_EQ(seenWidth, width);
    EXPECT_EQ(gui->GetView(), &gui->view);
    EXPECT_NE(gui->view.xMin, rendered.xMin);
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
    Sleep(500); // not answering: workers block in their sent progress messages
    const DWORD start = GetTickCount();
    DestroyWindow(gui->hwnd);
    EXPECT_FALSE(gui->IsRenderActive()) << "the render's threads have ended";
    EXPECT_EQ(gui->memoryDC, nullptr) << "buffers released once no thread can use them";
    CloseMainWindow();
    EXPECT_LT(GetTickCount() - start, 6000u);
}

TEST(WindowMode, FullscreenFromTheCommandLine)
{
    ZorbGUI* gui = OpenMainWindow("x fullscreen y");
    ASSERT_NE(gui, nullptr);
    const LONG style = GetWindowLongA(gui->hwnd, GWL_STYLE);
    EXPECT_NE(style & WS_POPUP, 0);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_TRUE(IsZoomed(gui->hwnd));
    EXPECT_GT(gui->GetHeight(), 0);
    CloseMainWindow();
}

TEST(WindowMode, AskedWhenTheCommandLineNamesNoMode)
{
    MessageBoxAnswerer answer("Fullscreen?", IDNO);
    ZorbGUI* gui = OpenMainWindow("");
    ASSERT_NE(gui, nullptr);
    ASSERT_TRUE(answer.Wait(1000));
    EXPECT_EQ(answer.text(), "Would you like to view fullscreen?");
    EXPECT_NE(GetWindowLongA(gui->hwnd, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_FALSE(IsZoomed(gui->hwnd));
    CloseMainWindow();
}

TEST(WindowMode, CommandLineWords)
{
    EXPECT_EQ(WindowModeFromCommandLine(nullptr), -1);
    EXPECT_EQ(WindowModeFromCommandLine(""), -1);
    EXPECT_EQ(WindowModeFromCommandLine("-FromUpdater"), -1);
    EXPECT_EQ(WindowModeFromCommandLine("windowed"), 0);
    EXPECT_EQ(WindowModeFromCommandLine("Fullscreen windowed"), 0) << "the words are case-sensitive";
    EXPECT_EQ(WindowModeFromCommandLine("windowed fullscreen"), 1) << "fullscreen wins";
    EXPECT_EQ(WindowModeFromCommandLine("xfullscreenx"), 1);
}

} // namespace
