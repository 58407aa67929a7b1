#pragma once

#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

#include "app/handles/ScopedHandle.h"
#include "app/window/ZorbGUI.h"
#include "render/View.h"
#include "tests/support/PollUntil.h"

// The real main window, created in this process under Wine, and what the tests need around it:
// pumping messages until a render is done, reading the bars, and the engine rendering a view
// straight into a buffer to compare the window's picture with.

// Creates the window object and the main window, then waits for the first picture.
ZorbGUI* OpenMainWindow(const char* commandLine);
// Destroys the main window, answers what is left in the queue and deletes the object.
void CloseMainWindow();

// Dispatches messages for the given time.
void PumpFor(DWORD milliseconds);
// Dispatches messages until the condition holds; false when the limit passes first.
template <class Condition>
bool PumpUntil(Condition done, DWORD limitMs = 60000)
{
    return PollUntil(done, limitMs, [] { PumpFor(10); });
}
// Waits, answering nothing, until another thread is blocked in a message it sent to this one,
// as a render thread is when it reports to the bars; false when none comes within the limit.
bool WaitForUnansweredMessage(DWORD limitMs = 60000);
// Dispatches messages until no render runs or is due, no wheel zoom waits and nothing is left
// to paint. False on time-out.
bool WaitForRender(ZorbGUI* gui, DWORD timeoutMs = 60000);

std::string StatusText(ZorbGUI* gui, int part);
std::string StatusTip(ZorbGUI* gui, int part);

// Client co-ordinates of an image point, packed as mouse messages carry them.
LPARAM ImagePointParam(ZorbGUI* gui, int x, int y);
// Screen co-ordinates of an image point, packed as WM_MOUSEWHEEL and WM_CONTEXTMENU carry them.
LPARAM ScreenPointParam(ZorbGUI* gui, int x, int y);

void SendCommand(ZorbGUI* gui, int id, LPARAM lParam = 0);
void SendKey(ZorbGUI* gui, WPARAM key);

// A picture read back as 0x00RRGGBB values, row by row from the top.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
// The image area (GetWidth x GetHeight from row imageTop) as the window shows it now.
Capture CaptureWindowImage(ZorbGUI* gui);
// The same area of the back buffer: the last finished picture.
Capture CaptureBackBufferImage(ZorbGUI* gui);
// A COLORREF as Capture holds it.
uint32_t CapturedColour(COLORREF colour);

// Dispatches only the messages other threads send (as the window does while it waits for a
// render), leaving posted ones queued, until the render's driver thread has returned.
bool AnswerSentMessagesUntilTheRenderEnds(ZorbGUI* gui, DWORD timeoutMs = 60000);

// What a client needs to render a view itself.
struct ReferenceScene {
    View view;
    int width;
    int height;
    int formula;
    uint64_t maxIterations;
    bool julia;
    double juliaRe;
    double juliaIm;
    bool linear;
};

// The scene of the window's last render.
ReferenceScene SceneOfLastRender(ZorbGUI* gui);
// Colour indices of the scene, row 1 first, rendered by the engine for a client of its own.
std::vector<uint8_t> RenderReference(const ReferenceScene& scene);
// Pixels of the window's picture that differ from the reference.
int CountPictureDifferences(ZorbGUI* gui, const std::vector<uint8_t>& reference);

// Answers a message box with the given caption from another thread: records its text, then
// presses the button. Join with Wait.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer(const char* caption, int button);
    ~MessageBoxAnswerer();
    // True when a box was answered; its text in text().
    bool Wait(DWORD timeoutMs);
    const std::string& text() const { return text_; }

private:
    static DWORD WINAPI Run(void* self);
    std::string caption_;
    int button_;
    std::string text_;
    bool answered_ = false;
    KernelHandle thread_;
    volatile LONG stop_ = 0;
};
