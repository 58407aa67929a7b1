#include "app/window/MenuRadioGroup.h"

void CheckRadioGroup(HWND window, const MenuChoice* group, size_t count, int selected)
{
    const HMENU menu = GetMenu(window);
    if (menu == nullptr) {
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        const int id = group[i].command;
        CheckMenuItem(menu, id, MF_BYCOMMAND | (id == selected ? MF_CHECKED : MF_UNCHECKED));
    }
}
