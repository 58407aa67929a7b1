// Answers a message box for the update flow tests, as a user would, and reports what it showed.
//   updater_box_answer <caption> yes|no|ok <timeout ms>   answer the box; exit 1 when none came
//   updater_box_answer <caption> none <timeout ms>        exit 1 when such a box came after all
//   updater_box_answer --close <window title> <timeout ms> post WM_CLOSE to that top-level window
// It prints the box's text and its owner's title as hex lines: TEXT <hex>, OWNER <hex or ->.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kPollMs = 50;

std::string Hex(const std::string& text)
{
    std::string hex;
    char pair[3];
    for (unsigned char c : text) {
        snprintf(pair, sizeof pair, "%02x", c);
        hex += pair;
    }
    return hex;
}

std::string WindowText(HWND window)
{
    char buffer[2048] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

BOOL CALLBACK KeepLongestStatic(HWND child, LPARAM user)
{
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    std::string& longest = *reinterpret_cast<std::string*>(user);
    if (_stricmp(className, "Static") == 0) {
        std::string text = WindowText(child);
        if (text.size() > longest.size()) {
            longest = text;
        }
    }
    return TRUE;
}

HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA(className, title);
        // Shown only once its text is in place.
        if (window != NULL && IsWindowVisible(window)) {
            return window;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return NULL;
        }
        Sleep(kPollMs);
    }
}

void Report(HWND box)
{
    std::string text;
    EnumChildWindows(box, KeepLongestStatic, reinterpret_cast<LPARAM>(&text));
    HWND owner = GetWindow(box, GW_OWNER);
    printf("TEXT %s\n", Hex(text).c_str());
    printf("OWNER %s\n", owner != NULL ? Hex(WindowText(owner)).c_str() : "-");
    fflush(stdout);
}

void Press(HWND box, int id)
{
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: updater_box_answer <caption> yes|no|ok|none <timeout ms>\n");
        return 2;
    }
    DWORD timeoutMs = static_cast<DWORD>(atol(argv[3]));
    if (strcmp(argv[1], "--close") == 0) {
        HWND window = WaitForWindow(NULL, argv[2], timeoutMs);
        if (window == NULL) {
            return 1;
        }
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    std::string mode = argv[2];
    HWND box = WaitForWindow("#32770", argv[1], timeoutMs);
    if (box == NULL) {
        return mode == "none" ? 0 : 1;
    }
    Report(box);
    if (mode == "yes") {
        Press(box, IDYES);
    } else if (mode == "no") {
        Press(box, IDNO);
    } else if (mode == "ok") {
        Press(box, IDOK);
    } else {
        // Not expected at all: dismiss it so the program under test is not left hanging.
        Press(box, IDNO);
        Press(box, IDOK);
        return 1;
    }
    return 0;
}
