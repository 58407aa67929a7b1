// Commands, keys and toolbar buttons of the real main window: colour cycling, palettes and
// colouring, adaptive iterations, stopping, and the dialogs they open.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "app/resources/resource.h"
#include "render/RenderRunningFlag.h"
#include "tests/app_window/MainWindowTest.h"

namespace {

RGBQUAD ScreenColour(ZorbGUI* gui, int index)
{
    RGBQUAD colour{};
    GetDIBColorTable(gui->memoryDC.get(), index, 1, &colour);
    return colour;
}

void ExpectColour(const RGBQUAD& c, int red, int green, int blue)
{
    EXPECT_EQ(c.rgbRed, red);
    EXPECT_EQ(c.rgbGreen, green);
    EXPECT_EQ(c.rgbBlue, blue);
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

// Each radio item of the real menu chooses the formula or palette its text names, and its
// group shows that item alone checked.
TEST_F(MainWindowTest, EachRadioItemChoosesWhatItNamesAndChecksItselfAlone)
{
    struct Item {
        int command;
        int value;
    };
    struct Group {
        const char* name;
        std::vector<Item> items;
        int ZorbGUI::*field;
    };
    const Group groups[] = {
        {"Fractal > Iteration",
         {{CommandId::FormulaCubed, 3},
          {CommandId::FormulaFourthPower, 4},
          {CommandId::FormulaExponential, 5},
          {CommandId::FormulaLambda, 1},
          {CommandId::FormulaNormal, 2}},
         &ZorbGUI::formula},
        {"Settings > Palette",
         {{CommandId::PaletteMonoRed, 1},
          {CommandId::PaletteMonoGreen, 2},
          {CommandId::PaletteMonoBlue, 3},
          {CommandId::PaletteGreyscale, 4},
          {CommandId::PaletteBinaryRed, 5},
          {CommandId::PaletteBinaryGreen, 6},
          {CommandId::PaletteBinaryBlue, 7},
          {CommandId::PalettePsychadelic, 8},
          {CommandId::PaletteRainbow, 0}},
         &ZorbGUI::paletteId},
    };
    for (const Group& group : groups) {
        for (const Item& chosen : group.items) {
            SendCommand(gui, chosen.command);
            EXPECT_EQ(gui->*group.field, chosen.value) << group.name << " item " << chosen.command;
            for (const Item& item : group.items) {
                EXPECT_EQ(MenuChecked(gui, item.command), item.command == chosen.command)
                    << group.name << ": item " << item.command << " after " << chosen.command;
            }
        }
    }
    SendKey(gui, VK_F2);
    ASSERT_TRUE(WaitForRender(gui));
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

} // namespace
