#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Modal dialogs and message boxes block the test's thread; these answer them from a helper
// thread, as a user would: find the window by its caption, then press its buttons or type.

// Waits (up to timeoutMs) for a dialog with the caption, then runs the action on it once.
class DialogDriver {
public:
    DialogDriver(const char* caption, std::function<void(HWND)> action, DWORD timeoutMs = 20000);
    ~DialogDriver();
    // Joins the helper thread; true when the dialog was found and the action ran.
    bool Finish();

private:
    std::thread thread_;
    std::atomic<bool> found_{false};
    bool joined_ = false;
};

// Presses OK (or the only button) on every message box with the caption until destroyed,
// and keeps each box's text.
class BoxAnswerer {
public:
    explicit BoxAnswerer(const char* caption);
    ~BoxAnswerer();
    std::vector<std::string> Texts();

private:
    std::string caption_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<std::string> texts_;
};

// Text of a control, or of a window when id is 0.
std::string WindowText(HWND window, int id = 0);
// The first text of a Static child (a message box's message).
std::string StaticText(HWND window);
void Click(HWND dialog, int buttonId);
