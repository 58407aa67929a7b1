// Start-up after the processor probe, shared by the three builds' WinMain: the hand-over to a
// narrower build, or the window path the build hands in.
#include "app/startup/Startup.h"

#include <windows.h>
#include <shellapi.h>
#include <cstdio>
#include <cstring>


namespace {

constexpr int kSseBits = 128;
// The joined path holds the module path's folder and a program name.
constexpr unsigned kFallbackPathSize = MAX_PATH + 64;

} // namespace

FallbackChoice SseStartupChoice(int bits)
{
    if (bits >= kSseBits) {
        return FallbackChoice{nullptr, nullptr};
    }
    return FallbackChoice{
        "Intrinsic instructions are not supported on this computer, launching the SSE executable instead",
        "newZorbReleaseScalar.exe"};
}

bool ProgramFolder(const char* modulePath, char* folder, unsigned folderSize)
{
    if (folderSize == 0) {
        return false;
    }
    folder[0] = '\0';
    const char* slash = std::strrchr(modulePath, '\\');
    if (slash == nullptr) {
        return false;
    }
    const size_t length = static_cast<size_t>(slash - modulePath) + 1;
    if (length >= folderSize) {
        return false;
    }
    std::memcpy(folder, modulePath, length);
    folder[length] = '\0';
    return true;
}

bool LaunchFallbackBuild(const FallbackChoice& choice)
{
    if (MessageBoxA(nullptr, choice.text, kFallbackCaption, MB_OKCANCEL | MB_ICONINFORMATION) == IDCANCEL) {
        return false;
    }
    char modulePath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
    char folder[MAX_PATH];
    // Without a folder the program is looked for in the current one.
    const bool haveFolder = ProgramFolder(modulePath, folder, sizeof(folder));
    char path[kFallbackPathSize];
    std::snprintf(path, sizeof(path), "%s%s", folder, choice.program);
    ShellExecuteA(nullptr, "open", path, "", haveFolder ? folder : nullptr, SW_SHOWNORMAL);
    return true;
}

int RunStartup(const char* commandLine, int bits, const FallbackChoice& choice, WindowPath openWindow)
{
    // Standard output of a windowed program goes nowhere; the line is for a console start.
    std::printf("Max Num Bits supported for intrinsics: %d", bits);
    if (choice.program != nullptr) {
        return LaunchFallbackBuild(choice) ? 1 : 0;
    }
    return openWindow(commandLine);
}
