// What WM_CREATE builds: the screen-size pixel buffers, the back buffer, the status bar, the
// toolbar and (at the first paint) the progress bar.
#include "app/window/ZorbGUI.h"

#include <memory>
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

// A BitmapInfo256 for an 8-bit bottom-up picture of the given size; its row stride in *stride.
std::unique_ptr<BitmapInfo256> NewBitmapInfo(int width, int height, int* stride)
{
    std::unique_ptr<BitmapInfo256> info(new (std::nothrow) BitmapInfo256{});
    *stride = info ? InitBitmapInfoHeader(info->header, width, height) : 0;
    return info;
}

ImageList LoadToolbarImages(HINSTANCE instance, int bitmapId)
{
    ImageList list(ImageList_Create(kImageWidth, kImageHeight, ILC_COLOR16 | ILC_MASK, ToolbarButtonId::Count, 1));
    const GdiObject<HBITMAP> strip(LoadBitmapA(instance, MAKEINTRESOURCEA(bitmapId)));
    ImageList_AddMasked(list.get(), strip.get(), kMaskColour);
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

    if (!CreateImageBuffers(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN))) {
        return -1; // CreateWindowExA fails, and the user is told
    }

    statusBar = CreateStatusWindowA(kStatusBarStyle, "Mandelbrot", window, 0);
    LayoutStatusBar();
    RECT part{};
    SendMessageA(statusBar, SB_GETRECT, StatusPart::Progress, reinterpret_cast<LPARAM>(&part));
    statusHeight = part.bottom;

    toolbar = CreateToolbarEx(window, kToolbarStyle, ResourceId::ToolbarControl, 0, nullptr, 0,
                              nullptr, 0, 0, 0, 0, 0, sizeof(TBBUTTON));
    toolbarImages = LoadToolbarImages(instance, ResourceId::ToolbarNormal);
    toolbarHotImages = LoadToolbarImages(instance, ResourceId::ToolbarHot);
    SendMessageA(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbarImages.get()));
    SendMessageA(toolbar, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbarHotImages.get()));
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

bool ZorbGUI::CreateImageBuffers(int width, int height)
{
    ReleaseImageBuffers();
    smoothBuffer.reset();
    backBufferDC.reset();
    screenWidth = width;
    screenHeight = height;
    screenBitmapInfo = NewBitmapInfo(screenWidth, screenHeight, &screenStride);
    // At WM_CREATE the bars are not there yet: the image size is the client area's, clipped to
    // the screen.
    imageBitmapInfo = NewBitmapInfo(GetWidth(), GetHeight() > 0 ? GetHeight() : 0, &imageStride);
    smoothBuffer.reset(new (std::nothrow)
                           float[static_cast<size_t>(screenStride) * static_cast<size_t>(screenHeight)]());
    if (!screenBitmapInfo || !imageBitmapInfo || !smoothBuffer) {
        return false;
    }
    BuildPalette(screenBitmapInfo.get());
    BuildPalette(imageBitmapInfo.get());

    {
        const WindowDc screen(nullptr);
        backBufferDC.Create(screen.get());
        backBufferDC.Hold(CreateCompatibleBitmap(screen.get(), screenWidth, screenHeight));
        memoryDC.Create(screen.get());
    }
    // Selected once, for the buffers' whole life: every copy and colour-table change works on
    // memoryDC, also before the first render.
    void* bits = nullptr;
    memoryDC.Hold(CreateDIBSection(memoryDC.get(), reinterpret_cast<BITMAPINFO*>(screenBitmapInfo.get()),
                                   DIB_RGB_COLORS, &bits, nullptr, 0));
    dibBits = static_cast<uint8_t*>(bits);
    if (dibBits == nullptr) {
        return false;
    }
    paletteWindow = paletteTable.entries;
    savedColour = screenBitmapInfo->colours[0];
    dibView = view;
    pictureBounds = view;
    return true;
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
