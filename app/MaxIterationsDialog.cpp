#include "app/MaxIterationsDialog.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "app/ZorbGUI.h"
#include "resource_dialogs.h"

namespace {

constexpr int kMaxTypedCharacters = 31;

void ShowLimit(HWND dialog)
{
    char text[32];
    snprintf(text, sizeof(text), "%" PRIu64, ZorbGUI::GetInstance()->GetMaxIterations());
    SetDlgItemTextA(dialog, DialogResource::MaxIterationsEdit, text);
}

void TakeLimit(HWND dialog)
{
    char text[kMaxTypedCharacters + 1] = {};
    GetDlgItemTextA(dialog, DialogResource::MaxIterationsEdit, text, sizeof(text));
    // Unsigned long is 32 bits here: a larger number saturates at 4294967295.
    const unsigned long limit = strtoul(text, nullptr, 10);
    ZorbGUI::GetInstance()->SetMaxIterations(static_cast<uint64_t>(limit));
}

}  // namespace

INT_PTR CALLBACK MaxIterationsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        ShowLimit(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            TakeLimit(dialog);
            EndDialog(dialog, 0);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

void ShowMaxIterationsDialog(HINSTANCE instance, HWND owner)
{
    DialogBoxParamA(instance, DialogResource::MaxIterations, owner, MaxIterationsDlgProc, 0);
}
