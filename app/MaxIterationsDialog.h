#pragma once

#include <windows.h>

// Dialog "GetIterations": shows the main window's iteration limit and sets it on OK (from the
// typed digits, at most 4294967295; an empty box gives 0). Starts no render: the new limit
// applies from the next one.
INT_PTR CALLBACK MaxIterationsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The Max Iterations command: the dialog, modal to `owner`.
void ShowMaxIterationsDialog(HINSTANCE instance, HWND owner);
