#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Dialog 125 and the message boxes it shows block the thread that runs them; these drive
// them from a helper thread, as a user would.

constexpr char kLargeImageCaption[] = "Save Large Image Directly To Disk";

// Opens the dialog on this thread and runs `script` on a helper thread once it shows. The
// script ends the dialog (Cancel, or a save's "File Saved" box); if it returns with the
// dialog still open, Cancel is pressed for it. False if the dialog never showed.
bool RunLargeImageDialog(const std::function<void(HWND dialog)>& script);

// Waits for a message box with the caption, presses its button and returns its text; empty
// if none came within timeoutMs.
std::string AnswerBox(const char* caption, DWORD timeoutMs = 30000);
bool BoxIsShowing(const char* caption);

// Polls until the condition holds; false after timeoutMs.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 30000);

void SetField(HWND dialog, int id, const char* text);
std::string FieldText(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
void SetChecked(HWND dialog, int id, bool checked);
// A button press as the dialog procedure receives it, posted so that a message box it opens
// does not block the caller.
void PressButton(HWND dialog, int id);
// A real click (BM_CLICK, waited for): for the radio buttons and check box, whose own state
// changes with it. Never for a button whose handler may open a message box.
void ClickNow(HWND dialog, int id);
