#pragma once

#include <windows.h>
#include <commdlg.h>
#include <commctrl.h>
#include <cstdint>
#include <memory>
#include <optional>

#include "render/CriticalSection.h"
#include "render/Formula.h"
#include "render/IRenderCallbackInterface.h"
#include "render/View.h"
#include "app/files/BitmapFile.h"
#include "app/handles/Gdi.h"
#include "app/palette/Palette.h"
#include "app/view/ViewHistory.h"
#include "app/view/ViewIterations.h"
#include "app/view/ViewZoom.h"

class RenderThreadPool;
struct RenderStats;

// Window timers.
namespace TimerId {
constexpr UINT_PTR ColourCycle = 1;     // interval 0: every tick one cycle step
constexpr UINT_PTR WheelZoomCommit = 2; // one-shot, 500 ms after the last wheel notch
constexpr UINT WheelZoomCommitMs = 500;
}

// The three parts of the status bar.
namespace StatusPart {
constexpr int CursorPosition = 0;
constexpr int Progress = 1; // holds the progress bar
constexpr int RenderInfo = 2;
}

// Messages the window posts to itself from render threads.
namespace ZorbMessage {
// wParam: the progress percentage as the bits of a float. Formatted on the UI thread, so no
// text has to outlive the thread that posted it. lParam: the serial of the render it belongs
// to; a tip that arrives after its render's end texts is dropped.
constexpr UINT ProgressTip = WM_APP + 1;
// Posted as the last thing a window render does, wParam the driver's thread id; the UI thread
// then joins the driver and starts any render that was asked for meanwhile.
constexpr UINT RenderFinished = WM_APP + 2;
}

// The main window: its bars, the screen-size pixel buffers a render writes into, and the
// state the commands, view operations and palettes work on. Also the engine's client for the
// on-screen picture. One object per process (GetInstance .. DestroyInstance).
class ZorbGUI final : public IRenderCallbackInterface {
public:
    // ---- Lifetime and window creation (ZorbGUI.cpp) ----
    static ZorbGUI* GetInstance();
    static void DestroyInstance();
    // 0 on success, 1 when the window could not be created (after telling the user).
    static int CreateMainWindow(ZorbGUI* gui, const char* commandLine);
    static LRESULT CALLBACK CreationWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // ---- Render engine callbacks (ZorbGUIRender.cpp) ----
    void SetPixel(uint32_t x, uint32_t y, uint8_t colourIndex, float smoothValue) override;
    void StepProgress() override;
    bool IsLinearColouring() override;
    const View* GetView() override;
    bool IsJulia() override;
    double GetJuliaRe() override;
    double GetJuliaIm() override;
    int PrepareRender(RenderThreadPool* pool) override;
    int GetBandsPerPass() override;
    int GetWidth() override;
    int GetHeight() override;
    int GetFormula() override;
    uint64_t GetMaxIterations() override;
    void OnPassComplete(int64_t elapsedSeconds) override;
    void OnRenderStart() override;
    void OnRenderComplete(double seconds, const RenderStats* stats) override;
    void OnProgressTick(int64_t elapsedSeconds) override;

    // ---- Starting renders (ZorbGUIRender.cpp) ----
    // WM_PAINT with renderDue set: starts a render of the current view, or, while one still
    // runs, stops it and starts again once it has ended.
    void StartRender();
    bool IsRenderActive() const { return static_cast<bool>(renderThread); }
    // Blocks until the running render (if any) has ended, answering the messages its threads
    // send meanwhile; false if it has not ended within timeoutMs.
    bool JoinRenderThread(DWORD timeoutMs);
    // The status texts of a render that has ended, set on the UI thread once its driver has
    // returned: after every progress tip its workers posted, which must not overwrite them.
    void ShowRenderEnd();

    // ---- Window creation handlers and bars (ZorbGUICreate.cpp) ----
    LRESULT OnCreate(HWND window, const CREATESTRUCTA* create);
    // The buffers renders write and the window shows, made for a screen of width x height with
    // the image at the client size: both bitmap infos, the DIB section in memoryDC, the smooth
    // values and the back buffer, with the palette built into them. Any made before are
    // released first. False when one cannot be had.
    bool CreateImageBuffers(int width, int height);
    void LayoutStatusBar();
    void CreateProgressBar();
    void PlaceProgressBar();
    void PlaceStatusBar();

    // ---- Copies between the DIB, the back buffer and the window (ZorbGUIPaint.cpp) ----
    // Each copy is GetWidth x GetHeight; the image sits at row imageTop on the window and in
    // the back buffer, at (0, 0) in the DIB. Without a DC given, the render's driver thread
    // uses windowDC and the UI thread a DC taken for the copy.
    void BackBufferToDib();
    void DibToWindow(HDC windowDc = nullptr);
    void DibToBackBuffer();
    void BackBufferToWindow(HDC windowDc = nullptr);
    void WindowToBackBuffer(HDC windowDc = nullptr);
    // Draws the last finished picture into any DC at (0, imageTop); what WM_PAINT shows.
    void PaintImage(HDC dc);

    // ---- Messages (ZorbGUIMessages.cpp) and mouse input (ZorbGUIMouse.cpp) ----
    static LRESULT WndProc(ZorbGUI* gui, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy();
    LRESULT OnSize();
    LRESULT OnPaint();
    LRESULT OnToolTipText(NMHDR* header);
    LRESULT OnContextMenu(LPARAM lParam);
    // Builds the right-click popup, tracks it at a screen point and destroys it; the command
    // chosen, or 0 when none was.
    int TrackPopupMenuAt(POINT screen);
    LRESULT OnKeyDown(WPARAM key);
    LRESULT OnTimer(UINT_PTR timerId);
    LRESULT OnMouseMove(WPARAM keys, int x, int y);
    LRESULT OnLButtonDown(int x, int y);
    LRESULT ZoomToSelection(WPARAM keys, int x, int y);
    LRESULT OnMiddleButtonUp(int x, int y);
    LRESULT OnMouseWheel(int delta, int screenX, int screenY);
    static LRESULT OnGetMinMaxInfo(HWND window, MINMAXINFO* info);
    LRESULT OnEnterSizeMove();
    LRESULT OnExitSizeMove();
    LRESULT OnProgressTip(WPARAM percentBits, LPARAM serial);
    LRESULT OnRenderFinished(DWORD driverThreadId);
    void CommitWheelZoom();
    // Shows wheelView stretched from the picture in the DIB, and makes it the DIB's picture.
    void PreviewWheelView(int width, int height);
    void ShowCursorPosition(int x, int y);
    // The corner the rubber band reaches for the mouse at image point (x, y): the point itself
    // for a free box, else the height follows the horizontal movement in the image's
    // proportions.
    POINT BandCorner(int x, int y, bool freeBox);
    // Inverts the rubber band's outline between two image points on a window DC; drawing it
    // twice leaves the window as it was. Callers hold bandLock.
    void InvertRubberBand(HDC dc, POINT start, POINT end);
    // Stops a running render and waits (bounded) for its pass to end.
    static void StopRenderAndWait(uint32_t stepMs, uint32_t totalMs);

    // ---- Commands (Commands.cpp) ----
    LRESULT OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void SelectFormula(int menuId, int formulaId);
    void SetLambdaAtPoint(LPARAM lParam);
    void CycleFaster();
    void CycleSlower();
    void ToggleAdaptiveIterations();
    void SelectColouring(bool linear);
    void RequestRedraw(); // renderDue set, whole window invalidated

    // ---- View, zoom and undo (ZorbGUIView.cpp) ----
    // Every operation here leaves a view that can be drawn (IsDrawableView); one whose result
    // could not be drawn is not done. FixAspect answers the view as it is in that case.
    View FixAspect();
    View ZoomAboutPoint(double factor, const View& from, POINT point);
    // The view side of a rubber-band zoom released at image point `release`: undo entry, the
    // box from dragStart (whose left/top edge ends up in dragStart), proportions unless
    // freeBox, the new view. False for a box of width or height 0, which zooms nothing but is
    // an undo step, and for a box too small for double precision, which is neither.
    bool ZoomViewToSelection(POINT release, bool freeBox, SelectionBox* box);
    void ZoomOut(); // popup "Zoom out": by 5 about the image centre
    void AdaptIterations(double zoom);
    bool IsAdaptiveIterations();
    void ToggleJulia(LPARAM packedPoint);
    void PushUndo();
    void PopUndo();
    void Reset();

    // ---- Palettes and colour cycling (ZorbGUIPalette.cpp) ----
    void BuildPalette(BitmapInfo256* bitmapInfo);
    void ApplyPalette();
    void SelectPalette(int menuId, int palette);
    void CycleStep();

    // ---- Co-ordinates file and picture saves (CoordinatesCommands.cpp, CommandsFiles.cpp) ----
    void LoadCoordinates();
    void SaveCoordinates();
    void SaveImage();
    void SaveCycleRange();

    // ---- Accessors ----
    const char* GetTitle() const { return title; }
    char* GetExeDir() { return exeDir; }
    char* GetFileTitleBuffer() { return fileTitle; }
    OPENFILENAMEA* GetFileDialogRecord() { return &fileDialog; }
    RGBQUAD* GetPalette() { return paletteWindow; }
    HWND GetHwnd() const { return hwnd; }
    int ScaleX(int v) const { return static_cast<int>(static_cast<float>(v) * dpiX); }
    // The height of the window in windowed mode at this DPI.
    int DefaultWindowHeight() const { return static_cast<int>(dpiY * 555.0f); }
    uint8_t* GetDibBits() { return dibBits; }
    float* GetSmoothBuffer() { return smoothBuffer.get(); }
    void SetMaxIterations(uint64_t limit) { maxIterations = limit; }
    // Where the engine's pixel (x from 0, y from 1 at the top) lies in a bottom-up picture of
    // `rows` rows `stride` bytes apart, and in smooth values laid out alike; 32-bit unsigned.
    static uint32_t PixelIndexIn(uint32_t x, uint32_t y, uint32_t rows, uint32_t stride)
    {
        return x + (rows - y) * stride;
    }
    uint32_t PixelIndex(uint32_t x, uint32_t y) const
    {
        return PixelIndexIn(x, y, static_cast<uint32_t>(screenHeight), static_cast<uint32_t>(screenStride));
    }
    // The same place for a y counted from 0.
    uint32_t DibOffset(uint32_t x, uint32_t y) const { return PixelIndex(x, y + 1); }

    // ---- Fields (public: the view, palette, file and dialog code of the program works on
    // them directly, as do the window tests) ----
    double juliaRe = 0.0;
    double juliaIm = 0.0;
    const char* className = "Zorbscape Class";
    const char* title = "Zorbscape";
    HINSTANCE instance = nullptr;
    HWND hwnd = nullptr;
    HWND statusBar = nullptr;
    HWND toolbar = nullptr;
    HWND progressBar = nullptr;
    int imageTop = 0;
    int statusHeight = 0;
    View view{};
    View wheelView{};
    POINT dragStart{0, 0};
    POINT dragEnd{0, 0};
    // The 8-bit DIB section a render writes, selected into its DC for the buffers' whole life.
    BitmapDc memoryDC;
    std::optional<WindowDc> windowDC; // the render driver's, while a render runs
    // A screen-compatible bitmap in window co-ordinates: the last finished picture.
    BitmapDc backBufferDC;
    int clientWidth = 0;
    int clientHeight = 0;
    uint8_t* dibBits = nullptr;
    std::unique_ptr<float[]> smoothBuffer;
    std::unique_ptr<BitmapInfo256> screenBitmapInfo;
    int screenStride = 0;
    std::unique_ptr<BitmapInfo256> imageBitmapInfo;
    int imageStride = 0;
    RGBQUAD savedColour{};
    PaletteTable paletteTable{};
    RGBQUAD* paletteWindow = nullptr;
    RGBQUAD insideColour{0, 0, 0, 0};
    int cycleOffset = 1;
    int paletteId = 0; // PaletteId::Rainbow
    char exeDir[MAX_PATH] = {};
    char fileTitle[MAX_PATH] = {};
    OPENFILENAMEA fileDialog{};
    int cycleDelay = 0;
    int cycleStep = 1;
    int cycleReverse = 0;
    ViewHistory viewHistory{};
    int formula = Formula::Power2;
    float dpiX = 1.0f;
    float dpiY = 1.0f;
    int dragging = 0;
    int minimised = 0;
    int sized = 0;
    int inSizeMove = 0;
    int wheelPending = 0;
    int sizeChanged = 0;
    int lambda = 0;
    bool julia = false;
    int popupPointValid = 0;
    int firstPaint = 1;
    bool linearColouring = true;
    int renderDue = 1;
    int statusPartEdges[3] = {0, 0, 0};
    uint64_t maxIterations = kDefaultMaxIterations;

    // Screen size the buffers were made for (SM_CXSCREEN x SM_CYSCREEN at WM_CREATE).
    int screenWidth = 0;
    int screenHeight = 0;
    ImageList toolbarImages;
    ImageList toolbarHotImages;
    // The view the picture in the DIB shows: the last render's, or the last wheel preview's.
    View dibView{};
    // The part of the plane (bounds only) that the DIB shows as rendered picture; a wheel
    // preview zoomed out past it shows the background there.
    View pictureBounds{};
    // The rubber band on the window: whether it is drawn now and whether as a free box. Every
    // copy onto the window lifts it first and draws it again after (under bandLock, as the
    // render's driver thread copies too), so the XOR outline is never half painted over.
    bool bandShown = false;
    bool bandFree = false;
    CriticalSection bandLock;
    // The render in flight: its driver thread.
    KernelHandle renderThread;
    DWORD renderThreadId = 0;
    // Everything a render sees: the settings it was started with and the buffers it writes,
    // copied by StartRender while no render runs, so that commands changing the view or the
    // formula, or a resize, in the middle of it never hand its threads a half-written record.
    // The engine's getters follow one rule, OnRenderThread: the render's own threads (driver
    // and workers) are answered from here, every other thread from the live fields.
    // On cache lines of its own, written only while no render runs: the UI thread's writes to
    // the rest of the object never take these lines from the workers' caches.
    struct alignas(64) RenderSnapshot {
        View view{};
        int width = 0;
        int height = 0;
        int formula = 0;
        uint64_t maxIterations = 0;
        double juliaRe = 0.0;
        double juliaIm = 0.0;
        bool julia = false;
        bool linearColouring = true;
        uint8_t* dibBits = nullptr;
        float* smoothBuffer = nullptr;
        uint32_t bottomRow = 0; // screenHeight: PixelIndex's row base
        uint32_t stride = 0;
        // The window's thread, set when the object is made: the one thread that is never a
        // render's. Kept here so that the workers' question never reads the object's other lines.
        DWORD uiThreadId = 0;
    };
    RenderSnapshot rendered{};
    // Which render the progress tips belong to, and whether its tips may still be shown.
    uint32_t renderSerial = 0;
    bool tipsOpen = false;
    bool tipShown = false;
    // The report the driver leaves for ShowRenderEnd.
    bool endPending = false;
    char endReport[512] = {};

private:
    ZorbGUI();
    ~ZorbGUI();
    ZorbGUI(const ZorbGUI&) = delete;
    ZorbGUI& operator=(const ZorbGUI&) = delete;

    // Whether the caller is one of a render's threads, which see `rendered`.
    bool OnRenderThread() const { return GetCurrentThreadId() != rendered.uiThreadId; }
    // The image size the window has now (client area less the bars, clipped to the buffers).
    int LiveImageWidth() const;
    int LiveImageHeight() const;
    HDC RenderWindowDc() const;
    void ReleaseImageBuffers();
};

// Client size as the image sees it: the client area less the bars, clipped to the screen-size
// buffers. May be below 1 when the window is smaller than its bars.
int ClippedImageWidth(int clientWidth, int screenWidth);
int ClippedImageHeight(int clientHeight, int statusHeight, int imageTop, int screenHeight);

// What the command line says about the window mode: 1 fullscreen, 0 windowed, -1 neither
// (the user is asked).
int WindowModeFromCommandLine(const char* commandLine);

// Set and clear RenderRunningFlag; returns the value given.
bool SetRenderRunning(bool running);

// Performance-counter time in seconds, for intervals.
double QpcSeconds();
extern double SecondsPerCount;
// The popup menu while it is tracked (null otherwise; TrackPopupMenuAt owns it), and whether the next drag move has no
// old rubber band to erase.
extern HMENU PopupMenuHandle;
extern bool BandFirstMove;
extern int LastRenderWidth;
extern int LastRenderHeight;
