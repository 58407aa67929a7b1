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
    char caption[256] = {};
    GetClassNameA(window, className, sizeof(className));
    GetWindowTextA(window, caption, sizeof(caption));
    if (process == GetCurrentProcessId() && std::strcmp(className, "#32770") == 0 &&
        std::strcmp(caption, search->caption) == 0 && IsWindowVisible(window)) {
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
