#pragma once

#include <windows.h>
#include <commdlg.h>

#include <functional>

#include "render/View.h"
#include "app/saver/WindowRenderSettings.h"

class LargeBitmapSaver;
struct LargeImageSettings;

// What a save starts from: the picture's view and its look.
struct LargeImageSource {
    View view;
    WindowRenderSettings look;
};

// What the dialog takes from the window that opens it.
struct LargeImageDialogOwner {
    LargeBitmapSaver* saver = nullptr;       // renders and writes the save OK starts
    LargeImageSettings* settings = nullptr;  // shown when the dialog opens, stored when a save starts
    const char* caption = nullptr;           // of the dialog's error boxes: the program's title
    const char* folder = nullptr;            // the file-name box's first text
    OPENFILENAMEA* fileDialog = nullptr;     // the program's save-as record, for Browse
    char* fileTitle = nullptr;               // its file-title buffer
    // Asked when OK starts a save rather than when the dialog opens: colour cycling and a
    // pending wheel zoom go on changing the window while the dialog is up.
    std::function<LargeImageSource()> source;
};

// The Save Large Image command: modal dialog 125, "Save Large Image Directly To Disk", owned
// by `ownerWindow`. Returns when the dialog ends: at once on Cancel (the save, stopped, still
// closes its file), or after the "File Saved" box. `owner` must outlive the dialog.
INT_PTR OpenSaveLargeImageDialog(HINSTANCE instance, HWND ownerWindow, const LargeImageDialogOwner& owner);
