#include "app/window/MenuRadioGroup.h"

void CheckRadioGroup(HWND window, const int* ids, size_t count, int selected)
{
    const HMENU menu = GetMenu(window);
    if (menu == nullptr) {
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        CheckMenuItem(menu, ids[i], MF_BYCOMMAND | (ids[i] == selected ? MF_CHECKED : MF_UNCHECKED));
    }
}
