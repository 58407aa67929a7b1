// The window's palettes: building the table, showing its cycled window, choosing a palette and
// stepping the colour cycle.
#include "app/palette/Palette.h"
#include "app/palette/PaletteCycle.h"
#include "app/resources/resource.h"
#include "app/window/MenuRadioGroup.h"
#include "app/window/ZorbGUI.h"

void ZorbGUI::BuildPalette(BitmapInfo256* bitmapInfo)
{
    BuildPaletteTable(&paletteTable, static_cast<PaletteId>(paletteId));
    cycleOffset = 0;
    paletteWindow = paletteTable.entries;
    if (bitmapInfo == nullptr) {
        return;
    }
    FillColourTable(bitmapInfo->colours, paletteTable.entries, insideColour);
    // At window creation the table is built before the DIB exists; the DIB then takes its
    // colours from the bitmap info it is made from.
    if (memoryDC.get() != nullptr) {
        SetDIBColorTable(memoryDC.get(), 0, 256, bitmapInfo->colours);
    }
}

void ZorbGUI::ApplyPalette()
{
    if (!screenBitmapInfo || paletteWindow == nullptr || memoryDC.get() == nullptr) {
        return;
    }
    FillColourTable(screenBitmapInfo->colours, paletteWindow, insideColour);
    SetDIBColorTable(memoryDC.get(), 0, 256, screenBitmapInfo->colours);
    DibToWindow(WindowDc(hwnd).get());
    DibToBackBuffer();
}

void ZorbGUI::SelectPalette(int menuId, int palette)
{
    if (palette < 0 || palette >= kPaletteCount) {
        return;
    }
    cycleReverse = 1;
    CheckRadioGroup(hwnd, kPaletteItems, menuId);
    paletteId = palette;
    BuildPalette(screenBitmapInfo.get());
    ApplyPalette();
}

void ZorbGUI::CycleStep()
{
    cycleOffset = NextCycleOffset(cycleOffset, cycleStep, cycleReverse != 0,
                                  CycleLength(static_cast<PaletteId>(paletteId)));
    paletteWindow = paletteTable.entries + cycleOffset;
}
