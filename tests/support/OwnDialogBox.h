#pragma once

#include <windows.h>

// The first visible dialog or message box of this process with the given caption. Other test
// programs on the same display show boxes with the same captions at the same time, so a
// plain FindWindowA could answer another process's box.
HWND FindOwnDialogBox(const char* caption);
