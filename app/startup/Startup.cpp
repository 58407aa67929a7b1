// Start-up after the processor probe, shared by the three builds' WinMain: the hand-over to a
// narrower build, or the window path the build hands in.
#include "app/startup/Startup.h"

#include <windows.h>
#include <shellapi.h>
#include <cstdio>
#include <string>

#include "Updater/Updater/ProgramFolder.h"

FallbackChoice SseStartupChoice(int bits)
{
    if (bits >= kSseBits) {
        return FallbackChoice{nullptr, nullptr};
    }
    return kScalarFallback;
}

bool LaunchFallbackBuild(const FallbackChoice& choice)
{
    if (MessageBoxA(nullptr, choice.text, kFallbackCaption, MB_OKCANCEL | MB_ICONINFORMATION) == IDCANCEL) {
        return false;
    }
    // Without a folder the program is looked for in the current one.
    const std::string folder = ProgramFolder();
    const std::string path = folder + choice.program;
    ShellExecuteA(nullptr, "open", path.c_str(), "", folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
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
