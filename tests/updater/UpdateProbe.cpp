// A stand-in for the program in the update flow tests: a real main window that starts the update
// check exactly as WinMain does, and a log beside the program file of every start and end.
//
// A probe that the update does not close ends by itself once the check's thread has gone, so
// that a case takes as long as its check, however slow the machine, rather than a fixed
// lifetime that a check slowed down by a busy machine could outlast.
#include "Updater/Updater/UpdateCheck.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT_PTR kCheckOverTimer = 2;
constexpr UINT kCheckPollMs = 50;
// A restarted probe only has to show that it started, then make room for the next case.
constexpr UINT kRestartedLifetimeMs = 3000;
// Lifetimes for a check that never ends; the flow test waits longer for the probe's end.
constexpr UINT kDefaultLifetimeMs = 60000;
const char kClassName[] = "ZorbscapeProbeClass";
const char kTitle[] = "Zorbscape Probe";

std::string logPath;
// Threads before the update check started: once the count is back, the check is over.
int threadsBeforeCheck = 0;

void Log(const std::string& line)
{
    FILE* log = fopen(logPath.c_str(), "ab");
    if (log != nullptr) {
        fprintf(log, "%s\n", line.c_str());
        fclose(log);
    }
}

int ThreadsOfThisProcess()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        count += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    }
    CloseHandle(snapshot);
    return count;
}

UINT LifetimeMs(const char* commandLine)
{
    std::string lower = commandLine;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    if (lower.find("-fromupdater") != std::string::npos) {
        return kRestartedLifetimeMs;
    }
    size_t life = lower.find("life=");
    return life != std::string::npos ? static_cast<UINT>(atoi(lower.c_str() + life + 5)) : kDefaultLifetimeMs;
}

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        // A WM_CLOSE the check posted before its thread ended is handled first: timer messages
        // come only once the queue holds nothing else.
        if (wParam == kCheckOverTimer) {
            const int threads = ThreadsOfThisProcess();
            if (threads < 0 || threads > threadsBeforeCheck) {
                return 0;
            }
            Log("checked");
        } else {
            Log("timeout");
        }
        DestroyWindow(window);
        return 0;
    case WM_CLOSE:
        Log("close");
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    char module[MAX_PATH] = {};
    GetModuleFileNameA(NULL, module, MAX_PATH);
    std::string folder = module;
    folder = folder.substr(0, folder.find_last_of('\\'));
    logPath = folder + "\\probe.log";
    Log(std::string("start ") + commandLine);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ProbeWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA(kClassName, kTitle, WS_OVERLAPPEDWINDOW, 10, 10, 320, 200, NULL, NULL, instance, NULL);
    if (window == NULL) {
        Log("no window");
        return 1;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    SetTimer(window, kLifetimeTimer, LifetimeMs(commandLine), NULL);

    threadsBeforeCheck = ThreadsOfThisProcess();
    StartUpdateCheck(commandLine, "1.5", window);
    SetTimer(window, kCheckOverTimer, kCheckPollMs, NULL);

    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Log("end");
    return 0;
}
