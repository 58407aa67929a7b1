#include "tests/app_view/GuiFixture.h"

#include <cstdlib>

#include "app/palette/Palette.h"
#include "app/resources/resource.h"
#include "app/window/MenuRadioGroup.h"
#include "app/window/WindowDc.h"

void GuiFixture::SetUp()
{
    menu = CreateMenu();
    const HMENU items = CreatePopupMenu();
    for (const MenuChoice& item : kFormulaItems) {
        AppendMenuA(items, MF_STRING, item.command, "formula");
    }
    for (const MenuChoice& item : kPaletteItems) {
        AppendMenuA(items, MF_STRING, item.command, "palette");
    }
    AppendMenuA(items, MF_STRING, CommandId::AdaptiveIterations, "Adaptive Iterations");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(items), "Items");
    window = CreateWindowExA(0, "STATIC", "view test", WS_OVERLAPPEDWINDOW, 0, 0, kWidth, kHeight,
                             nullptr, menu, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    SetAdaptive(true);

    screenInfo = static_cast<BitmapInfo256*>(calloc(1, sizeof(BitmapInfo256)));
    BITMAPINFOHEADER& h = screenInfo->header;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = kWidth;
    h.biHeight = kHeight;
    h.biPlanes = 1;
    h.biBitCount = 8;
    h.biCompression = BI_RGB;
    h.biClrUsed = 256;
    h.biClrImportant = 256;
    memoryDc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    dib = CreateDIBSection(memoryDc, reinterpret_cast<BITMAPINFO*>(screenInfo), DIB_RGB_COLORS,
                           &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    oldDib = SelectObject(memoryDc, dib);
    {
        const WindowDc screen(nullptr);
        backDc = CreateCompatibleDC(screen.get());
        backBitmap = CreateCompatibleBitmap(screen.get(), kWidth, kHeight);
        oldBack = SelectObject(backDc, backBitmap);
    }

    gui = ZorbGUI::GetInstance();
    gui->hwnd = window;
    gui->screenWidth = kWidth;
    gui->screenHeight = kHeight;
    gui->clientWidth = kWidth;
    gui->clientHeight = kHeight;
    gui->statusHeight = 0;
    gui->imageTop = 0;
    gui->screenBitmapInfo = screenInfo;
    gui->memoryDC = memoryDc;
    gui->backBufferDC = backDc;

    gui->view.SetDefault();
    gui->view = gui->FixAspect();
    gui->viewHistory = ViewHistory{};
    gui->julia = false;
    gui->lambda = 0;
    gui->formula = 2;
    gui->maxIterations = 512;
    gui->popupPointValid = 0;
    gui->renderDue = 0;
    gui->dragStart = POINT{0, 0};
    gui->paletteId = static_cast<int>(PaletteId::Rainbow);
    gui->cycleStep = 1;
    gui->cycleReverse = 0;
    gui->BuildPalette(screenInfo);
}

void GuiFixture::TearDown()
{
    // The object outlives the test; it must not free what the fixture owns.
    if (gui != nullptr) {
        gui->hwnd = nullptr;
        gui->screenBitmapInfo = nullptr;
        gui->memoryDC = nullptr;
        gui->backBufferDC = nullptr;
        gui->screenWidth = 0;
        gui->screenHeight = 0;
    }
    if (memoryDc != nullptr) {
        SelectObject(memoryDc, oldDib);
        DeleteObject(dib);
        DeleteDC(memoryDc);
    }
    if (backDc != nullptr) {
        SelectObject(backDc, oldBack);
        DeleteObject(backBitmap);
        DeleteDC(backDc);
    }
    free(screenInfo);
    if (window != nullptr) {
        DestroyWindow(window); // takes the menu with it
    }
}

void GuiFixture::SetAdaptive(bool on)
{
    CheckMenuItem(menu, CommandId::AdaptiveIterations, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

bool GuiFixture::IsChecked(int id) const
{
    return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}
