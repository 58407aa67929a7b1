// What WM_CREATE builds: the screen-size pixel buffers, the back buffer, the status bar, the
// toolbar and (at the first paint) the progress bar.
#include "app/window/ZorbGUI.h"

#include <cstdlib>
#include <new>

#include "app/dialogs/FileDialog.h"
#include "app/files/BitmapFile.h"
#include "app/resources/resource.h"

namespace {

constexpr DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | SBARS_TOOLTIPS;
constexpr DWORD kToolbarStyle = 0x52000D31;
constexpr DWORD kProgressBarStyle = WS_CHILD | WS_VISIBLE | PBS_SMOOTH;
constexpr int kStatusParts = 3;
constexpr int kImageWidth = 16;
constexpr int kImageHeight = 15;
constexpr COLORREF kMaskColour = RGB(255, 0, 255);
constexpr int kProgressStep = 16; // the kernels step once every 16 rows
constexpr int kProgressInset = 3;
constexpr float kMinStatusPart = 200.0f;

// A BitmapInfo256 for an 8-bit bottom-up picture of the given size; returns its row stride.
BitmapInfo256* NewBitmapInfo(int width, int height, int* stride)
{
    auto* info = static_cast<BitmapInfo256*>(std::calloc(1, sizeof(BitmapInfo256)));
    *stride = 0;
    if (info == nullptr) {
        return nullptr;
    }
    *stride = InitBitmapInfoHeader(info->header, width, height);
    return info;
}

HIMAGELIST LoadToolbarImages(HINSTANCE instance, int bitmapId)
{
    const HIMAGELIST list = ImageList_Create(kImageWidth, kImageHeight, ILC_COLOR16 | ILC_MASK,
                                             ToolbarButtonId::Count, 1);
    const HBITMAP strip = LoadBitmapA(instance, MAKEINTRESOURCEA(bitmapId));
    ImageList_AddMasked(list, strip, kMaskColour);
    DeleteObject(strip);
    return list;
}

} // namespace

LRESULT ZorbGUI::OnCreate(HWND window, const CREATESTRUCTA* create)
{
    hwnd = window;
    RECT client;
    GetClientRect(window, &client);
    clientWidth = client.right;
    clientHeight = client.bottom;
    instance = create->hInstance;
    InitFileDialogRecord(window, &fileDialog);

    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);
    screenBitmapInfo = NewBitmapInfo(screenWidth, screenHeight, &screenStride);
    // The bars are not there yet; the image size is the client area's, clipped to the screen.
    imageBitmapInfo = NewBitmapInfo(GetWidth(), GetHeight() > 0 ? GetHeight() : 0, &imageStride);
    smoothBuffer = new (std::nothrow)
        float[static_cast<size_t>(screenStride) * static_cast<size_t>(screenHeight)]();
    if (screenBitmapInfo == nullptr || imageBitmapInfo == nullptr || smoothBuffer == nullptr) {
        return -1; // CreateWindowExA fails, and the user is told
    }
    BuildPalette(screenBitmapInfo);
    BuildPalette(imageBitmapInfo);

    {
        const WindowDc screen(nullptr);
        backBufferDC = CreateCompatibleDC(screen.get());
        backBufferBitmap = CreateCompatibleBitmap(screen.get(), screenWidth, screenHeight);
        backBufferOldBitmap = SelectObject(backBufferDC, backBufferBitmap);
        memoryDC = CreateCompatibleDC(screen.get());
    }
    void* bits = nullptr;
    dibSection = CreateDIBSection(memoryDC, reinterpret_cast<BITMAPINFO*>(screenBitmapInfo),
                                  DIB_RGB_COLORS, &bits, nullptr, 0);
    dibBits = static_cast<uint8_t*>(bits);
    if (dibBits == nullptr) {
        return -1;
    }
    // Selected once, for the object's whole life: every copy and colour-table change works on
    // memoryDC, also before the first render.
    oldBitmap = SelectObject(memoryDC, dibSection);
    paletteWindow = paletteTable.entries;
    savedColour = screenBitmapInfo->colours[0];
    dibView = view;
    pictureBounds = view;

    statusBar = CreateStatusWindowA(kStatusBarStyle, "Mandelbrot", window, 0);
    LayoutStatusBar();
    RECT part{};
    SendMessageA(statusBar, SB_GETRECT, StatusPart::Progress, reinterpret_cast<LPARAM>(&part));
    statusHeight = part.bottom;

    toolbar = CreateToolbarEx(window, kToolbarStyle, ResourceId::ToolbarControl, 0, nullptr, 0,
                              nullptr, 0, 0, 0, 0, 0, sizeof(TBBUTTON));
    toolbarImages = LoadToolbarImages(instance, ResourceId::ToolbarNormal);
    toolbarHotImages = LoadToolbarImages(instance, ResourceId::ToolbarHot);
    SendMessageA(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbarImages));
    SendMessageA(toolbar, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbarHotImages));
    TBBUTTON buttons[ToolbarButtonId::Count] = {};
    for (int i = 0; i < ToolbarButtonId::Count; ++i) {
        buttons[i].iBitmap = i;
        buttons[i].idCommand = ToolbarButtonId::First + i;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = TBSTYLE_BUTTON;
        buttons[i].iString = -1;
    }
    SendMessageA(toolbar, TB_ADDBUTTONSA, ToolbarButtonId::Count, reinterpret_cast<LPARAM>(buttons));
    ShowWindow(toolbar, SW_SHOW);

    RECT button{};
    SendMessageA(toolbar, TB_GETRECT, ToolbarButtonId::First, reinterpret_cast<LPARAM>(&button));
    imageTop = button.bottom + 1 + 2 * GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYFRAME);

    const WindowDc dc(window);
    Rectangle(dc.get(), 0, 0, clientWidth, clientHeight);
    return 0;
}

void ZorbGUI::LayoutStatusBar()
{
    const int minimum = static_cast<int>(dpiX * kMinStatusPart);
    const int width = GetWidth();
    statusPartEdges[0] = width / 8 > minimum ? width / 8 : minimum;
    statusPartEdges[1] = width / 2 > minimum ? width / 2 : minimum;
    statusPartEdges[2] = -1;
    SendMessageA(statusBar, SB_SETPARTS, kStatusParts, reinterpret_cast<LPARAM>(statusPartEdges));
}

void ZorbGUI::CreateProgressBar()
{
    progressBar = CreateWindowExA(WS_EX_CLIENTEDGE, PROGRESS_CLASSA, nullptr, kProgressBarStyle,
                                  statusPartEdges[0] + kProgressInset, kProgressInset,
                                  statusPartEdges[1] - statusPartEdges[0] - 2 * kProgressInset,
                                  statusHeight - kProgressInset, statusBar, nullptr, instance, nullptr);
    SendMessageA(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, clientHeight + 1));
    SendMessageA(progressBar, PBM_SETSTEP, kProgressStep, 0);
    firstPaint = 0;
}

void ZorbGUI::PlaceProgressBar()
{
    if (progressBar == nullptr) {
        return;
    }
    MoveWindow(progressBar, statusPartEdges[0] + kProgressInset, kProgressInset,
               statusPartEdges[1] - statusPartEdges[0] - 2 * kProgressInset,
               statusHeight - kProgressInset, FALSE);
    SendMessageA(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, clientHeight + 1));
    SendMessageA(progressBar, PBM_SETSTEP, kProgressStep, 0);
}
