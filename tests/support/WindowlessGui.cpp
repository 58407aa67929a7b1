#include "tests/support/WindowlessGui.h"

#include <gtest/gtest.h>

#include "app/dialogs/FileDialog.h"
#include "app/palette/Palette.h"
#include "app/view/ViewIterations.h"
#include "render/Formula.h"

ZorbGUI* WindowlessGui(int width, int height, HWND window)
{
    ZorbGUI* gui = ZorbGUI::GetInstance();
    gui->hwnd = window;
    gui->clientWidth = width;
    gui->clientHeight = height;
    gui->statusHeight = 0;
    gui->imageTop = 0;

    gui->view.SetDefault();
    gui->viewHistory = ViewHistory{};
    gui->julia = false;
    gui->juliaRe = 0.0;
    gui->juliaIm = 0.0;
    gui->lambda = 0;
    gui->formula = Formula::Power2;
    gui->maxIterations = kDefaultMaxIterations;
    gui->linearColouring = true;
    gui->popupPointValid = 0;
    gui->renderDue = 0;
    gui->dragStart = POINT{0, 0};

    gui->paletteId = static_cast<int>(PaletteId::Rainbow);
    gui->cycleStep = 1;
    gui->cycleReverse = 0;
    // Builds the palette into the buffers, at cycle offset 0.
    const bool made = gui->CreateImageBuffers(width > kTestScreenWidth ? width : kTestScreenWidth,
                                              height > kTestScreenHeight ? height : kTestScreenHeight);
    if (!made) {
        ADD_FAILURE() << "the window's buffers for a " << width << " x " << height << " image";
    }

    GetTempPathA(MAX_PATH, gui->exeDir);
    InitFileDialogRecord(window, &gui->fileDialog);
    return gui;
}
