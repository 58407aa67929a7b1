#include "tests/app_view/GuiFixture.h"

#include "app/resources/resource.h"
#include "app/window/MenuRadioGroup.h"
#include "tests/support/WindowlessGui.h"

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

    gui = WindowlessGui(kWidth, kHeight, window);
    gui->view = gui->FixAspect();
}

void GuiFixture::TearDown()
{
    if (gui != nullptr) {
        gui->hwnd = nullptr;
    }
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
