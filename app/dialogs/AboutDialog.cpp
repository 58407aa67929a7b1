#include "app/dialogs/AboutDialog.h"

#include <cstdio>

#include "resource_dialogs.h"

namespace {

constexpr char kCredit[] = "A fractal explorer by the Zorbscape team";

void ShowAboutText(HWND dialog)
{
    // An empty first line, the name and version, an empty line, the credit.
    char text[160];
    snprintf(text, sizeof(text), "\nZorbscape v%s\n\n%s", ProgramVersion, kCredit);
    SetDlgItemTextA(dialog, DialogResource::AboutText, text);
}

}  // namespace

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        ShowAboutText(dialog);
        return TRUE;
    case WM_COMMAND:
        // OK, Esc and the close box alike; menu and accelerator codes are not buttons.
        if (HIWORD(wParam) == 0) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        EndDialog(dialog, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

void ShowAboutDialog(HINSTANCE instance, HWND owner)
{
    DialogBoxParamA(instance, MAKEINTRESOURCEA(DialogResource::About), owner, AboutDlgProc, 0);
}
