#pragma once

#include <windows.h>

#include <string>

// What StartUpdateCheck records for the update thread. Written once, before the thread starts,
// and only read afterwards, so no lock guards them.
extern std::string OriginalCommandLine;
extern std::string CurrentVersion;
extern HWND UpdateMainWindow;
