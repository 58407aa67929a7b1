#include "tests/app_files/DialogDriver.h"

#include "tests/support/OwnDialogBox.h"

namespace {

constexpr DWORD kPollMs = 5;

HWND FindDialog(const char* caption) { return FindOwnDialogBox(caption); }

BOOL CALLBACK FindStaticText(HWND child, LPARAM result)
{
    char className[16];
    GetClassNameA(child, className, sizeof(className));
    if (lstrcmpiA(className, "Static") == 0) {
        const std::string text = WindowText(child);
        if (!text.empty()) {
            *reinterpret_cast<std::string*>(result) = text;
            return FALSE;
        }
    }
    return TRUE;
}

}  // namespace

std::string WindowText(HWND window, int id)
{
    HWND target = id == 0 ? window : GetDlgItem(window, id);
    char text[1024] = {};
    GetWindowTextA(target, text, sizeof(text));
    return text;
}

std::string StaticText(HWND window)
{
    std::string text;
    EnumChildWindows(window, FindStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

void Click(HWND dialog, int buttonId)
{
    SendMessageA(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0);
}

DialogDriver::DialogDriver(const char* caption, std::function<void(HWND)> action, DWORD timeoutMs)
{
    std::string title = caption;
    thread_ = std::thread([this, title, action, timeoutMs] {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            HWND dialog = FindDialog(title.c_str());
            if (dialog != nullptr && IsWindowVisible(dialog)) {
                found_ = true;
                action(dialog);
                return;
            }
            Sleep(kPollMs);
        }
    });
}

DialogDriver::~DialogDriver() { Finish(); }

bool DialogDriver::Finish()
{
    if (!joined_) {
        thread_.join();
        joined_ = true;
    }
    return found_;
}

BoxAnswerer::BoxAnswerer(const char* caption) : caption_(caption)
{
    thread_ = std::thread([this] {
        HWND answered = nullptr;
        while (!stop_) {
            HWND box = FindDialog(caption_.c_str());
            if (box != nullptr && box != answered && IsWindowVisible(box)) {
                {
                    std::lock_guard<std::mutex> hold(lock_);
                    texts_.push_back(StaticText(box));
                }
                answered = box;
                Click(box, GetDlgItem(box, IDOK) != nullptr ? IDOK : IDCANCEL);
            } else if (box == nullptr) {
                answered = nullptr;
            }
            Sleep(kPollMs);
        }
    });
}

BoxAnswerer::~BoxAnswerer()
{
    stop_ = true;
    thread_.join();
}

std::vector<std::string> BoxAnswerer::Texts()
{
    std::lock_guard<std::mutex> hold(lock_);
    return texts_;
}
