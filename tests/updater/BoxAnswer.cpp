// Answers a message box for the update flow tests, as a user would, and reports what it showed.
//   updater_box_answer <caption> yes|no|ok <timeout ms>   answer the box; exit 1 when none came
//   updater_box_answer <caption> none <timeout ms>        exit 1 when such a box came after all
//   updater_box_answer --close <window title> <timeout ms> <program path>
//                                                          post WM_CLOSE to that program's window
//   updater_box_answer --temp                              print the temporary folder as programs see it
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

struct WindowSearch
{
    const char* title;
    std::string program;
    HWND found;
};

std::string Lower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return text;
}

// Only the window of the program in question: other tests may run the same program at once.
BOOL CALLBACK FindProgramWindow(HWND window, LPARAM user)
{
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(user);
    if (!IsWindowVisible(window) || WindowText(window) != search.title) {
        return TRUE;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == NULL) {
        return TRUE;
    }
    char image[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    BOOL named = QueryFullProcessImageNameA(process, 0, image, &size);
    CloseHandle(process);
    if (named && Lower(image) == search.program) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForProgramWindow(const char* title, const char* program, DWORD timeoutMs)
{
    char full[MAX_PATH] = {};
    GetFullPathNameA(program, MAX_PATH, full, NULL);
    WindowSearch search = {title, Lower(full), NULL};
    DWORD start = GetTickCount();
    for (;;) {
        EnumWindows(FindProgramWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != NULL || GetTickCount() - start >= timeoutMs) {
            return search.found;
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
    if (argc == 2 && strcmp(argv[1], "--temp") == 0) {
        char temp[MAX_PATH] = {};
        if (GetTempPathA(MAX_PATH, temp) == 0) {
            return 1;
        }
        printf("%s\n", temp);
        return 0;
    }
    if (argc == 5 && strcmp(argv[1], "--close") == 0) {
        HWND window = WaitForProgramWindow(argv[2], argv[4], static_cast<DWORD>(atol(argv[3])));
        if (window == NULL) {
            return 1;
        }
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (argc != 4) {
        fprintf(stderr, "usage: updater_box_answer <caption> yes|no|ok|none <timeout ms>\n");
        return 2;
    }
    DWORD timeoutMs = static_cast<DWORD>(atol(argv[3]));
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
