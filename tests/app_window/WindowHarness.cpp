#include "tests/app_window/WindowHarness.h"

#include "tests/support/OwnDialogBox.h"

#include <cstring>

#include "app/handles/Gdi.h"
#include "render/Processors.h"
#include "render/RenderBand.h"
#include "render/RenderDriver.h"
#include "render/RenderRunningFlag.h"
#include "render/RenderStats.h"
#include "render/RenderThreadPool.h"

namespace {

void DispatchPending()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            continue; // the window's end; the tests decide when to stop
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Renders a scene the way the window does, into a plain buffer.
class ReferenceClient final : public IRenderCallbackInterface {
public:
    explicit ReferenceClient(const ReferenceScene& scene)
        : scene_(scene), pixels_(static_cast<size_t>(scene.width) * scene.height, 0)
    {
    }

    std::vector<uint8_t>& pixels() { return pixels_; }

    void SetPixel(uint32_t x, uint32_t y, uint8_t index, float) override
    {
        pixels_[static_cast<size_t>(y - 1) * scene_.width + x] = index;
    }
    void StepProgress() override {}
    bool IsLinearColouring() override { return scene_.linear; }
    const View* GetView() override { return &scene_.view; }
    bool IsJulia() override { return scene_.julia; }
    double GetJuliaRe() override { return scene_.juliaRe; }
    double GetJuliaIm() override { return scene_.juliaIm; }
    int PrepareRender(RenderThreadPool* pool) override
    {
        int rows = scene_.height / (4 * CountLogicalProcessors());
        rows = rows < 1 ? 1 : rows;
        const RenderBand request(scene_.width, scene_.height, 0, scene_.width, 0, rows, scene_.view.stepX,
                                 scene_.view.stepY);
        RenderThreadPool::Prepare(pool, &request, this);
        return pool->stats.threadCount > 1 ? rows : scene_.height;
    }
    int GetBandsPerPass() override { return scene_.height; }
    int GetWidth() override { return scene_.width; }
    int GetHeight() override { return scene_.height; }
    int GetFormula() override { return scene_.formula; }
    uint64_t GetMaxIterations() override { return scene_.maxIterations; }
    void OnPassComplete(int64_t) override {}
    void OnRenderStart() override {}
    void OnRenderComplete(double, const RenderStats*) override {}
    void OnProgressTick(int64_t) override {}

private:
    ReferenceScene scene_;
    std::vector<uint8_t> pixels_;
};

} // namespace

ZorbGUI* OpenMainWindow(const char* commandLine)
{
    ZorbGUI* gui = ZorbGUI::GetInstance();
    if (ZorbGUI::CreateMainWindow(gui, commandLine) != 0) {
        return nullptr;
    }
    WaitForRender(gui);
    return gui;
}

void CloseMainWindow()
{
    ZorbGUI* gui = ZorbGUI::GetInstance();
    if (gui->hwnd != nullptr && IsWindow(gui->hwnd)) {
        DestroyWindow(gui->hwnd);
    }
    DispatchPending();
    ZorbGUI::DestroyInstance();
    DispatchPending();
}

void PumpFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        DispatchPending();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
    DispatchPending();
}

bool WaitForUnansweredMessage(DWORD limitMs)
{
    // Returns as soon as a sent message is queued, even one queued before the call, and
    // dispatches nothing: the sender stays blocked.
    return MsgWaitForMultipleObjectsEx(0, nullptr, limitMs, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0;
}

bool WaitForRender(ZorbGUI* gui, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        DispatchPending();
        if (!gui->IsRenderActive() && !gui->renderDue && !gui->wheelPending &&
            !GetUpdateRect(gui->hwnd, nullptr, FALSE)) {
            DispatchPending();
            if (!gui->IsRenderActive() && !gui->renderDue) {
                return true;
            }
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return false;
}

std::string StatusText(ZorbGUI* gui, int part)
{
    char text[1024] = {};
    const LRESULT length = SendMessageA(gui->statusBar, SB_GETTEXTLENGTHA, part, 0);
    if (LOWORD(length) < sizeof(text)) {
        SendMessageA(gui->statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
    }
    return text;
}

std::string StatusTip(ZorbGUI* gui, int part)
{
    char text[1024] = {};
    SendMessageA(gui->statusBar, SB_GETTIPTEXTA, MAKEWPARAM(part, sizeof(text)), reinterpret_cast<LPARAM>(text));
    return text;
}

LPARAM ImagePointParam(ZorbGUI* gui, int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y + gui->imageTop));
}

LPARAM ScreenPointParam(ZorbGUI* gui, int x, int y)
{
    POINT p{x, y + gui->imageTop};
    ClientToScreen(gui->hwnd, &p);
    return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
}

void SendCommand(ZorbGUI* gui, int id, LPARAM lParam)
{
    SendMessageA(gui->hwnd, WM_COMMAND, static_cast<WPARAM>(id), lParam);
}

void SendKey(ZorbGUI* gui, WPARAM key)
{
    SendMessageA(gui->hwnd, WM_KEYDOWN, key, 0);
}

namespace {

Capture CaptureFrom(HDC source, int top, int width, int height)
{
    Capture capture;
    capture.width = width;
    capture.height = height;
    capture.pixels.assign(static_cast<size_t>(width) * height, 0);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    BitmapDc copy;
    copy.Create(source);
    copy.Hold(CreateDIBSection(copy.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    BitBlt(copy.get(), 0, 0, width, height, source, 0, top, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < capture.pixels.size(); ++i) {
        capture.pixels[i] = p[i] & 0xFFFFFFu;
    }
    return capture;
}

} // namespace

Capture CaptureWindowImage(ZorbGUI* gui)
{
    const WindowDc dc(gui->hwnd);
    return CaptureFrom(dc.get(), gui->imageTop, gui->GetWidth(), gui->GetHeight());
}

Capture CaptureBackBufferImage(ZorbGUI* gui)
{
    return CaptureFrom(gui->backBufferDC.get(), gui->imageTop, gui->GetWidth(), gui->GetHeight());
}

uint32_t CapturedColour(COLORREF colour)
{
    return (static_cast<uint32_t>(GetRValue(colour)) << 16) | (static_cast<uint32_t>(GetGValue(colour)) << 8) |
           GetBValue(colour);
}

bool AnswerSentMessagesUntilTheRenderEnds(ZorbGUI* gui, DWORD timeoutMs)
{
    const HANDLE thread = gui->renderThread.get();
    if (thread == nullptr) {
        return true;
    }
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        const DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0) {
            return true;
        }
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return false;
}

ReferenceScene SceneOfLastRender(ZorbGUI* gui)
{
    const ZorbGUI::RenderSnapshot& r = gui->rendered;
    return ReferenceScene{r.view,  r.width,   r.height,  r.formula,        r.maxIterations,
                          r.julia, r.juliaRe, r.juliaIm, r.linearColouring};
}

std::vector<uint8_t> RenderReference(const ReferenceScene& scene)
{
    ReferenceClient client(scene);
    RenderRunningFlag.exchange(true);
    RenderDriverThread(static_cast<IRenderCallbackInterface*>(&client));
    return client.pixels();
}

int CountPictureDifferences(ZorbGUI* gui, const std::vector<uint8_t>& reference)
{
    const int width = gui->rendered.width;
    const int height = gui->rendered.height;
    int differences = 0;
    for (int y = 1; y <= height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (gui->dibBits[gui->PixelIndex(x, y)] != reference[static_cast<size_t>(y - 1) * width + x]) {
                ++differences;
            }
        }
    }
    return differences;
}

MessageBoxAnswerer::MessageBoxAnswerer(const char* caption, int button) : caption_(caption), button_(button)
{
    thread_.reset(CreateThread(nullptr, 0, &MessageBoxAnswerer::Run, this, 0, nullptr));
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    InterlockedExchange(&stop_, 1);
    // The search reads captions of this thread's windows, which waits for this thread to
    // answer: sent messages are answered while the search ends.
    const HANDLE thread = thread_.get();
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

bool MessageBoxAnswerer::Wait(DWORD timeoutMs)
{
    WaitForSingleObject(thread_.get(), timeoutMs);
    return answered_;
}

DWORD WINAPI MessageBoxAnswerer::Run(void* self)
{
    auto* me = static_cast<MessageBoxAnswerer*>(self);
    const DWORD start = GetTickCount();
    while (!me->stop_ && GetTickCount() - start < 30000) {
        const HWND box = FindOwnDialogBox(me->caption_.c_str());
        if (box != nullptr) {
            char text[1024] = {};
            // 0xFFFF is the id of a message box's text.
            GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
            me->text_ = text;
            me->answered_ = true;
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(me->button_, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, me->button_)));
            return 0;
        }
        Sleep(20);
    }
    return 0;
}
