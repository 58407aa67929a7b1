#pragma once

#include <windows.h>
#include <commdlg.h>

// The common file dialogs of the program share one OPENFILENAMEA record (the main window's);
// each command sets the members it needs before its dialog and leaves them there.

// File buffer of the co-ordinates and Save Image dialogs. Never cleared, so each dialog opens
// with the last path chosen.
extern char FileDialogPath[MAX_PATH];

// Double-NUL-ended filter lists (the literal adds the final NUL).
constexpr char kCoordinatesFilter[] = "DAT Files (*.dat) \0*.dat\0All Files (*.*)\0*.*\0";
constexpr char kImageFilter[] = "Jpeg Files (*.jpg)\0*.jpg\0Bitmap Files (*.bmp) \0*.bmp\0";
// nFilterIndex of "Bitmap Files" in kImageFilter: pictures are written as BMP for it and as
// JPEG for any other choice, whatever extension was typed.
constexpr DWORD kBitmapFilterIndex = 2;

constexpr char kSaveFractalTitle[] = "Save Fractal as ...";
constexpr char kOpenFractalTitle[] = "Open Existing Fractal...";
constexpr char kSaveSequenceTitle[] = "Save Sequence as ...";

constexpr DWORD kSaveDialogFlags = OFN_CREATEPROMPT | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
constexpr DWORD kOpenDialogFlags = OFN_CREATEPROMPT | OFN_HIDEREADONLY;

// Fills the shared record once, when the main window is created: its size, owner, the
// co-ordinates filter, buffer lengths of MAX_PATH and the default extension "dat"; every other
// member zero.
void InitFileDialogRecord(HWND owner, OPENFILENAMEA* record);

// Cuts a path right after its last '/' or '\' (the separator stays); a path without one is
// left whole.
void StripFileName(char* path);

// What a file command sets before its dialog.
struct FileDialogSetup {
    const char* filter;
    char* file;            // lpstrFile, MAX_PATH characters
    const char* title;
    DWORD flags;
    bool setInitialDir;    // lpstrInitialDir = exeDir
};

// Sets owner, filter, file buffer, file-title buffer, flags and title in the record, cuts
// exeDir back to its folder and, if asked, makes it the initial folder. The instance, buffer
// lengths, filter index and default extension stay as they are.
void PrepareFileDialog(OPENFILENAMEA* record, HWND owner, char* fileTitle, char* exeDir,
                       const FileDialogSetup& setup);
