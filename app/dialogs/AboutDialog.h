#pragma once

#include <windows.h>

// The running version: shown in the About box and told to the update check.
constexpr char ProgramVersion[] = "1.5";

// Dialog 110: the program's name, version and picture; any button or Esc closes it.
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The About command: the box, modal to `owner`.
void ShowAboutDialog(HINSTANCE instance, HWND owner);
