// The window object's life: the singleton, the main window's class and creation, and the
// window procedure entry that finds the object again for every message.
#include "app/window/ZorbGUI.h"

#include <objbase.h>
#include <cstdio>
#include <cstring>

#include "app/resources/resource.h"
#include "render/RenderRunningFlag.h"
#include "Updater/Updater/ProgramFolder.h"

double SecondsPerCount = 0.0;
int LastRenderWidth = 0;
int LastRenderHeight = 0;

namespace {

ZorbGUI* Instance = nullptr;

constexpr float kDpiScale = 0.010416667f; // 1 / 96
constexpr int kWindowedWidth = 640;
constexpr DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW;
// WS_POPUP and the class-specific bit 0x8. The window class gives that bit no meaning; it is
// set so that the fullscreen window's style, as GWL_STYLE reports it, is exactly this value.
constexpr DWORD kFullscreenStyle = 0x80000008;

// A render stopped at destruction ends within one pixel's work per worker; a pixel at a huge
// iteration limit can take seconds, so the last wait is generous.
constexpr DWORD kFinalRenderJoinMs = 15000;

bool AskFullscreen()
{
    return MessageBoxA(nullptr, "Would you like to view fullscreen?", "Fullscreen?",
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void RegisterMainClass(const ZorbGUI& gui)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = 0;
    wc.lpfnWndProc = &ZorbGUI::CreationWndProc;
    wc.hInstance = gui.instance;
    wc.hIcon = LoadIconA(gui.instance, MAKEINTRESOURCEA(ResourceId::Icon));
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorA(nullptr, IDC_CROSS);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(ResourceId::MainMenu);
    wc.lpszClassName = gui.className;
    // Registering twice (a second window object in one process) fails harmlessly.
    RegisterClassExA(&wc);
}

} // namespace

bool SetRenderRunning(bool running)
{
    RenderRunningFlag.exchange(running);
    return running;
}

double QpcSeconds()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * SecondsPerCount;
}

int WindowModeFromCommandLine(const char* commandLine)
{
    if (commandLine == nullptr) {
        return -1;
    }
    if (std::strstr(commandLine, "fullscreen") != nullptr) {
        return 1;
    }
    if (std::strstr(commandLine, "windowed") != nullptr) {
        return 0;
    }
    return -1;
}

int ClippedImageWidth(int clientWidth, int screenWidth)
{
    return clientWidth < screenWidth ? clientWidth : screenWidth;
}

int ClippedImageHeight(int clientHeight, int statusHeight, int imageTop, int screenHeight)
{
    const int height = clientHeight - statusHeight - imageTop;
    return height < screenHeight ? height : screenHeight;
}

ZorbGUI::ZorbGUI()
{
    view.SetDefault();
    view.stepX = 0.0;
    view.stepY = 0.0;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    SecondsPerCount = 1.0 / static_cast<double>(frequency.QuadPart);
    // GetInstance is asked first on the thread that then makes and runs the window.
    rendered.uiThreadId = GetCurrentThreadId();
    CoInitialize(nullptr);
}

ZorbGUI::~ZorbGUI()
{
    CoUninitialize();
}

void ZorbGUI::ReleaseImageBuffers()
{
    memoryDC.reset();
    dibBits = nullptr;
    screenBitmapInfo.reset();
    imageBitmapInfo.reset();
}

ZorbGUI* ZorbGUI::GetInstance()
{
    if (Instance == nullptr) {
        Instance = new ZorbGUI();
    }
    return Instance;
}

void ZorbGUI::DestroyInstance()
{
    if (Instance == nullptr) {
        return;
    }
    ZorbGUI* gui = Instance;
    Instance = nullptr;
    // Render threads use the object and its buffers until their driver returns. One still
    // running (its window closed in the middle of a slow pixel) keeps the object: the process
    // ends right after this, and nothing may be freed under it.
    if (gui->IsRenderActive() && !gui->JoinRenderThread(kFinalRenderJoinMs)) {
        return;
    }
    delete gui;
}

int ZorbGUI::CreateMainWindow(ZorbGUI* gui, const char* commandLine)
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);

    gui->instance = GetModuleHandleA(nullptr);
    RegisterMainClass(*gui);

    {
        const WindowDc screen(nullptr);
        gui->dpiX = static_cast<float>(GetDeviceCaps(screen.get(), LOGPIXELSX)) * kDpiScale;
        gui->dpiY = static_cast<float>(GetDeviceCaps(screen.get(), LOGPIXELSY)) * kDpiScale;
    }

    int width = gui->ScaleX(kWindowedWidth);
    int height = gui->DefaultWindowHeight();
    const int mode = WindowModeFromCommandLine(commandLine);
    const bool fullscreen = mode == 1 || (mode == -1 && AskFullscreen());
    if (fullscreen) {
        width = GetSystemMetrics(SM_CXFULLSCREEN);
        height = GetSystemMetrics(SM_CYFULLSCREEN);
    }

    const HWND window = CreateWindowExA(0, gui->className, gui->title,
                                        fullscreen ? kFullscreenStyle : kWindowedStyle,
                                        CW_USEDEFAULT, CW_USEDEFAULT, width, height, nullptr,
                                        nullptr, gui->instance, gui);
    if (window == nullptr) {
        MessageBoxA(nullptr, "Failed to create Window, exiting...", "Failure", MB_ICONERROR);
        return 1;
    }
    gui->hwnd = window;
    std::snprintf(gui->exeDir, sizeof(gui->exeDir), "%s", ProgramFolder().c_str());

    if (gui->GetWidth() >= 1 && gui->GetHeight() >= 1) {
        gui->view = gui->FixAspect();
    }
    ShowWindow(window, fullscreen ? SW_MAXIMIZE : SW_SHOW);
    UpdateWindow(window);
    return 0;
}

LRESULT CALLBACK ZorbGUI::CreationWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_NCCREATE) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    auto* gui = static_cast<ZorbGUI*>(create->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(gui));
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ZorbGUI::StaticWndProc));
    return WndProc(gui, window, message, wParam, lParam);
}

LRESULT CALLBACK ZorbGUI::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* gui = reinterpret_cast<ZorbGUI*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (gui == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return WndProc(gui, window, message, wParam, lParam);
}
