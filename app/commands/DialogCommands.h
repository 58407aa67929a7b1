#pragma once

#include <windows.h>

class ZorbGUI;

// The commands that open a dialog on the window's settings: each hands its dialog what it
// shows and applies what the user chose. Modal to `owner`, from `instance`'s resources.

// Max Iterations: the limit for the next render.
void AskMaxIterations(ZorbGUI& gui, HINSTANCE instance, HWND owner);

// Save Large Image: the dialog renders the window's view, in the window's look at the moment
// OK is pressed, straight to disk. Returns when the dialog ends.
INT_PTR SaveLargeImage(ZorbGUI& gui, HINSTANCE instance, HWND owner);
