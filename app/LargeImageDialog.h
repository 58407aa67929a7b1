#pragma once

#include <windows.h>

class ZorbGUI;

// The Save Large Image command: modal dialog 125, "Save Large Image Directly To Disk", owned
// by the main window. Returns when the dialog ends: at once on Cancel (the save, stopped,
// still closes its file), or after the "File Saved" box.
INT_PTR OpenSaveLargeImageDialog(HINSTANCE instance, HWND owner);

// The dialog procedure given to DialogBoxParamA; hands the window object to
// SaveLargeImageDlgProc.
INT_PTR CALLBACK SaveLargeImageDlgEntry(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR SaveLargeImageDlgProc(ZorbGUI* gui, HWND dialog, UINT message, WPARAM wParam);
