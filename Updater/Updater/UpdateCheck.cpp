// Winsock 2 must come before any <windows.h>, which UpdateCheck.h brings in.
#include <winsock2.h>

#include "UpdateCheck.h"

#include "CommandLine.h"
#include "ProgramFolder.h"
#include "UpdateSession.h"
#include "Updater.h"

#include <process.h>

#include <cstdio>
#include <exception>
#include <string>

namespace {

#ifdef _WIN64
const char kUpdaterProgram[] = "Updater.exe";
#else
const char kUpdaterProgram[] = "Updater32.exe";
#endif

std::string UpdatePromptText(const std::string& newVersion, const std::string& currentVersion)
{
    std::string text = "There is an update available\n\nNew Version: ";
    text += newVersion;
    text += "\nThis Version: ";
    text += currentVersion;
    text += "\n\nWould you like to update now?";
    text += "(Updating will cause the application to restart)";
    return text;
}

void RunUpdateCheck()
{
    std::string modulePath = ModulePath();
    std::string launchCommandLine = modulePath;
    if (!OriginalCommandLine.empty()) {
        launchCommandLine += " " + OriginalCommandLine;
    }
    CommandLine launch(launchCommandLine);
    if (launch.HasFlag("FromUpdater")) {
        return;
    }

    // Only the program's own name and version go in: the server comes from Updater.ini alone.
    std::string updaterCommandLine = modulePath;
    updaterCommandLine += " Filename=" + launch.GetFileName();
    updaterCommandLine += " CurrVer=" + CurrentVersion;

    Updater updater(updaterCommandLine);
    if (!updater.CheckForUpdate()) {
        return;
    }
    std::string prompt = UpdatePromptText(updater.GetNewVersion(), CurrentVersion);
    int answer = MessageBoxA(UpdateMainWindow, prompt.c_str(), "Update Available", MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) {
        return;
    }
    if (updater.Download()) {
        updater.RunUpdater(kUpdaterProgram);
    } else {
        MessageBoxA(NULL,
                    "There was an error getting the update\nPlease try again later\nor go to website and get "
                    "update manually",
                    "Couldn't get update", MB_ICONWARNING);
    }
}

} // namespace

void StartUpdateCheck(const char* commandLine, const char* version, HWND mainWindow)
{
    OriginalCommandLine = commandLine != nullptr ? commandLine : "";
    CurrentVersion = version != nullptr ? version : "";
    UpdateMainWindow = mainWindow;
    _beginthread(UpdateCheckThread, 0, NULL);
}

void __cdecl UpdateCheckThread(void*)
{
    // Nothing may leave a thread entry; a failed check leaves the program running as it was.
    try {
        RunUpdateCheck();
    } catch (const std::exception& error) {
        printf("Update check stopped: %s\n", error.what());
    } catch (...) {
        printf("Update check stopped\n");
    }
}
