#include "tests/support/OwnDialogBox.h"

#include <cstring>

namespace {

struct BoxSearch {
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchOwnDialogBox(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = {};
    GetClassNameA(window, className, sizeof(className));
    if (process != GetCurrentProcessId() || std::strcmp(className, "#32770") != 0) {
        return TRUE;
    }
    // Only now the caption: reading that of another thread's window sends it a message, and
    // the main window's thread may be waiting for this one without answering.
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof(caption));
    if (std::strcmp(caption, search->caption) == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindOwnDialogBox(const char* caption)
{
    BoxSearch search{caption, nullptr};
    EnumWindows(MatchOwnDialogBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
