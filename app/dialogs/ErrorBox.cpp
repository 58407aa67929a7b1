#include "app/dialogs/ErrorBox.h"

void ShowErrorBox(HWND owner, const char* caption, const char* text)
{
    MessageBoxA(owner, text, caption, MB_ICONERROR);
}
