#include "tests/app_files/WindowlessGui.h"

#include <cstdlib>
#include <vector>

#include "app/palette/Palette.h"

ZorbGUI* WindowlessGui(int width, int height)
{
    static std::vector<uint8_t> dib;
    ZorbGUI* gui = ZorbGUI::GetInstance();
    gui->screenWidth = kTestScreenWidth;
    gui->screenHeight = kTestScreenHeight;
    gui->screenStride = (kTestScreenWidth + 3) & ~3;
    const size_t pixels = static_cast<size_t>(gui->screenStride) * kTestScreenHeight;
    dib.assign(pixels, 0);
    gui->dibBits = dib.data();
    if (gui->smoothBuffer == nullptr) {
        gui->smoothBuffer = new float[pixels]();
    }
    if (gui->imageBitmapInfo == nullptr) {
        gui->imageBitmapInfo = static_cast<BitmapInfo256*>(calloc(1, sizeof(BitmapInfo256)));
    }
    gui->clientWidth = width;
    gui->clientHeight = height;
    gui->statusHeight = 0;
    gui->imageTop = 0;

    gui->paletteId = static_cast<int>(PaletteId::Rainbow);
    BuildPaletteTable(&gui->paletteTable, PaletteId::Rainbow);
    gui->cycleOffset = 0;
    gui->paletteWindow = gui->paletteTable.entries;
    gui->cycleStep = 1;
    gui->cycleReverse = 0;

    gui->view.SetDefault();
    gui->julia = false;
    gui->juliaRe = 0.0;
    gui->juliaIm = 0.0;
    gui->formula = 2;
    gui->maxIterations = 512;
    return gui;
}
