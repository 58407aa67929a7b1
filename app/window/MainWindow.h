#pragma once

// The window path of every build: window object, main window, update check, message loop,
// teardown. Returns WinMain's result.
int RunMainWindow(const char* commandLine);
