// The real main window under Wine: what it opens with, the render it reports in its status bar,
// the texts of the cursor and progress, and the window mode the command line asks for.
#include <gtest/gtest.h>

#include <windows.h>
#include <cstdio>
#include <cstring>
#include <regex>
#include <string>

#include "app/resources/resource.h"
#include "render/BuildConfig.h"
#include "render/Processors.h"
#include "tests/app_window/MainWindowTest.h"

namespace {

constexpr int kExpectedNumBits = kBuildAvx ? 256 : kBuildSse2 ? 128 : 64;

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
    const View& v = gui->rendered.view;
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
    EXPECT_EQ(gui->rendered.view.xMin, gui->view.xMin);
    EXPECT_TRUE(MenuChecked(gui, CommandId::FormulaCubed));
    EXPECT_FALSE(MenuChecked(gui, CommandId::FormulaNormal));
    EXPECT_EQ(CountPictureDifferences(gui, RenderReference(SceneOfLastRender(gui))), 0);
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

