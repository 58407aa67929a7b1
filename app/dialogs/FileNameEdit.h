#pragma once

#include <windows.h>

// Subclass procedure of a file-name edit box that takes files dropped on it (the box needs
// WS_EX_ACCEPTFILES): the first dropped item's folder, with its trailing separator, becomes
// the box's text, ready for a file name to be typed after it. Install it with
// SetWindowSubclass(edit, FileNameEditSubclassProc, 0, 0).
LRESULT CALLBACK FileNameEditSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR subclassId, DWORD_PTR referenceData);
