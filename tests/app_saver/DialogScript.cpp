#include "tests/app_saver/DialogScript.h"

#include "tests/support/OwnDialogBox.h"
#include "tests/support/PollUntil.h"

#include <commctrl.h>

#include <thread>

#include "app/commands/DialogCommands.h"
#include "app/window/ZorbGUI.h"

namespace {
constexpr DWORD kPollMs = 5;

HWND FindBox(const char* caption)
{
    return FindOwnDialogBox(caption);
}

BOOL CALLBACK FindStaticText(HWND child, LPARAM result)
{
    char className[16] = {};
    GetClassNameA(child, className, sizeof(className));
    char text[1024] = {};
    GetWindowTextA(child, text, sizeof(text));
    if (lstrcmpiA(className, "Static") == 0 && text[0] != '\0') {
        *reinterpret_cast<std::string*>(result) = text;
        return FALSE;
    }
    return TRUE;
}
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    return PollUntil(condition, timeoutMs, [] { Sleep(kPollMs); });
}

bool RunLargeImageDialog(const std::function<void(HWND dialog)>& script)
{
    bool shown = false;
    std::thread helper([&] {
        HWND dialog = nullptr;
        if (!WaitUntil([&] {
                dialog = FindBox(kLargeImageCaption);
                return dialog != nullptr && IsWindowVisible(dialog);
            })) {
            return;
        }
        shown = true;
        script(dialog);
        if (IsWindow(dialog)) {
            PressButton(dialog, IDCANCEL);
        }
    });
    SaveLargeImage(*ZorbGUI::GetInstance(), GetModuleHandleA(nullptr), nullptr);
    helper.join();
    return shown;
}

bool BoxIsShowing(const char* caption)
{
    const HWND box = FindBox(caption);
    return box != nullptr && IsWindowVisible(box);
}

std::string AnswerBox(const char* caption, DWORD timeoutMs)
{
    HWND box = nullptr;
    if (!WaitUntil([&] {
            box = FindBox(caption);
            return box != nullptr && IsWindowVisible(box);
        }, timeoutMs)) {
        return "";
    }
    std::string text;
    EnumChildWindows(box, FindStaticText, reinterpret_cast<LPARAM>(&text));
    const HWND button = GetDlgItem(box, IDOK) != nullptr ? GetDlgItem(box, IDOK) : GetDlgItem(box, IDCANCEL);
    SendMessageA(button, BM_CLICK, 0, 0);
    WaitUntil([&] { return !IsWindow(box); }, 5000);
    return text;
}

void SetField(HWND dialog, int id, const char* text)
{
    SetDlgItemTextA(dialog, id, text);
}

std::string FieldText(HWND dialog, int id)
{
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

bool IsChecked(HWND dialog, int id)
{
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND dialog, int id, bool checked)
{
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void PressButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ClickNow(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
