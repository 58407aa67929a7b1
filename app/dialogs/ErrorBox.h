#pragma once

#include <windows.h>

// How the program tells the user that something did not happen, in one rule:
// - an error box (MB_ICONERROR) owned by the window the user acted in: the main window for its
//   commands, the large-picture dialog for what its OK started. The box is then modal to that
//   window, so the command or the OK cannot be reached again while it is up;
// - captioned with the program's title, the main window's title;
// - its text one or two sentences: what did not happen and, where it is known, why and what
//   to try instead.
// A failure already told is not told again: a bitmap whose writer's checks failed gets no
// second box. Some boxes keep a fixed form of their own: "Error Creating File", "Error
// Opening File" and "Invalid CO-ord File, Resetting..." have no owner; the bitmap writer's
// checks have the caption "Error whilst saving bitmap" and the main window as owner; a large
// picture that was saved is told in the dialog's "File Saved" box.
void ShowErrorBox(HWND owner, const char* caption, const char* text);

// A file that could not be made (fixed form: no owner).
constexpr char kCreateFileErrorText[] = "Error Creating File";

// A file that was made but could not be written whole (a full disk, a removed drive); a file
// it was to replace is left as it was.
constexpr char kWriteErrorText[] =
    "The file could not be written completely, so it was not saved; the disk may be full.";
