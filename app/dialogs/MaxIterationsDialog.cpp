#include "app/dialogs/MaxIterationsDialog.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "resource_dialogs.h"

namespace {

constexpr int kMaxTypedCharacters = 31;

// What the dialog shows and where OK leaves the answer; lives on the caller's stack for the
// dialog's run.
struct LimitExchange {
    uint64_t shown;
    uint64_t chosen;
};

void ShowLimit(HWND dialog, uint64_t limit)
{
    char text[32];
    snprintf(text, sizeof(text), "%" PRIu64, limit);
    SetDlgItemTextA(dialog, DialogResource::MaxIterationsEdit, text);
}

uint64_t TypedLimit(HWND dialog)
{
    char text[kMaxTypedCharacters + 1] = {};
    GetDlgItemTextA(dialog, DialogResource::MaxIterationsEdit, text, sizeof(text));
    // Unsigned long is 32 bits here: a larger number saturates at 4294967295.
    const unsigned long limit = strtoul(text, nullptr, 10);
    return static_cast<uint64_t>(limit);
}

INT_PTR CALLBACK MaxIterationsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        auto* exchange = reinterpret_cast<LimitExchange*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        ShowLimit(dialog, exchange->shown);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            auto* exchange = reinterpret_cast<LimitExchange*>(GetWindowLongPtrA(dialog, DWLP_USER));
            exchange->chosen = TypedLimit(dialog);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace

bool ShowMaxIterationsDialog(HINSTANCE instance, HWND owner, uint64_t limit, uint64_t* chosen)
{
    LimitExchange exchange{limit, limit};
    const INT_PTR result = DialogBoxParamA(instance, DialogResource::MaxIterations, owner, MaxIterationsDlgProc,
                                           reinterpret_cast<LPARAM>(&exchange));
    if (result != IDOK) {
        return false;
    }
    *chosen = exchange.chosen;
    return true;
}
