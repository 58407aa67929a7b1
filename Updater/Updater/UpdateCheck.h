#pragma once

#include <windows.h>

// Starts the background update check once per program start, after the main window exists.
// commandLine is the program's own command line as WinMain received it, version the running
// version text; mainWindow owns the update prompt and receives WM_CLOSE when the updater
// program takes over. Returns at once; nothing waits for the check.
void StartUpdateCheck(const char* commandLine, const char* version, HWND mainWindow);

// The thread procedure behind StartUpdateCheck; its argument is not read.
void __cdecl UpdateCheckThread(void* argument);
