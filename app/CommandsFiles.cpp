#include "app/CommandsFiles.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "app/BitmapFile.h"
#include "app/FileDialog.h"
#include "app/JpegFile.h"
#include "app/ZorbGUI.h"

namespace {

// A stopped render's kernels return after the pixel they are on, and its threads need their
// sent messages answered meanwhile, which JoinRenderThread does. A pixel can take seconds at
// an iteration limit of billions; a minute means the render is not ending.
constexpr DWORD kSaveJoinTimeoutMs = 60000;
constexpr int kCycleFrames = 256;
constexpr size_t kExtensionLength = 4;  // ".jpg", ".bmp", ".dat" of the chosen name

void ShowCreateError(const ZorbGUI& gui)
{
    MessageBoxA(nullptr, "Error Creating File", gui.GetTitle(), MB_ICONERROR);
}

void WritePicture(ZorbGUI& gui, FILE* file, bool bitmap)
{
    if (bitmap) {
        gui.imageStride = InitBitmapInfoHeader(gui.imageBitmapInfo->header, gui.GetWidth(), gui.GetHeight());
        WriteBitmapFile(file, gui.imageBitmapInfo);
    } else {
        WriteJpegFile(file);
    }
}

bool RunImageDialog(ZorbGUI& gui, char* file, const char* title, bool setInitialDir)
{
    OPENFILENAMEA* record = gui.GetFileDialogRecord();
    PrepareFileDialog(record, gui.GetHwnd(), gui.GetFileTitleBuffer(), gui.GetExeDir(),
                      FileDialogSetup{kImageFilter, file, title, kSaveDialogFlags, setInitialDir});
    return GetSaveFileNameA(record) != FALSE;
}

bool BitmapChosen(ZorbGUI& gui) { return gui.GetFileDialogRecord()->nFilterIndex == kBitmapFilterIndex; }

}  // namespace

bool SettleRenderBeforeSave(ZorbGUI& gui)
{
    if (!gui.IsRenderActive()) {
        return true;
    }
    SetRenderRunning(false);
    const HCURSOR cursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    const bool ended = gui.JoinRenderThread(kSaveJoinTimeoutMs);
    SetCursor(cursor);
    // The stopped picture is partial: draw it again once the save is done.
    gui.RequestRedraw();
    if (!ended) {
        MessageBoxA(nullptr, "The picture is still being drawn, so it was not saved.", gui.GetTitle(),
                    MB_ICONWARNING);
    }
    return ended;
}

bool CycleFrameName(const char* path, int frame, bool bitmap, char* name, size_t nameSize)
{
    const size_t length = strlen(path);
    const int stemLength = static_cast<int>(length > kExtensionLength ? length - kExtensionLength : 0);
    const int written = snprintf(name, nameSize, "%.*s%03d%s", stemLength, path, frame, bitmap ? ".bmp" : ".jpg");
    return written >= 0 && static_cast<size_t>(written) < nameSize;
}

void SaveImageToFile(ZorbGUI& gui, const char* path, bool bitmap)
{
    FILE* file = fopen(path, "wb");
    if (file == nullptr) {
        ShowCreateError(gui);
        return;
    }
    WritePicture(gui, file, bitmap);
    fclose(file);
}

void SaveCycleRangeToFiles(ZorbGUI& gui, const char* path, bool bitmap)
{
    const LRESULT savedUpper = SendMessageA(gui.progressBar, PBM_GETRANGE, FALSE, 0);
    SendMessageA(gui.progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, kCycleFrames));
    const int savedStep = gui.cycleStep;
    gui.cycleStep = 1;

    bool complete = true;
    for (int frame = 0; frame < kCycleFrames; ++frame) {
        char name[MAX_PATH + 8];
        FILE* file = CycleFrameName(path, frame, bitmap, name, sizeof(name)) ? fopen(name, "wb") : nullptr;
        if (file == nullptr) {
            ShowCreateError(gui);
            complete = false;
            break;
        }
        WritePicture(gui, file, bitmap);
        fclose(file);

        gui.CycleStep();
        SendMessageA(gui.progressBar, PBM_SETPOS, frame, 0);
        char tip[32];
        snprintf(tip, sizeof(tip), "%.1f%%", frame * 100.0 / kCycleFrames);
        SendMessageA(gui.statusBar, SB_SETTIPTEXTA, StatusPart::Progress, reinterpret_cast<LPARAM>(tip));
    }
    if (complete) {
        gui.CycleStep();
    }
    SendMessageA(gui.progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, savedUpper));
    gui.cycleStep = savedStep;
    SendMessageA(gui.progressBar, PBM_SETPOS, 0, 0);
}

void ZorbGUI::SaveImage()
{
    imageStride = InitBitmapInfoHeader(imageBitmapInfo->header, GetWidth(), GetHeight());
    // A JPEG's index 254 blends towards the palette window's entry 255, which at cycle offset
    // 0 is the table's entry 255: for the save it holds colour 0, so the blend runs on into
    // the start of the cycle.
    savedColour = paletteTable.entries[255];
    paletteTable.entries[255] = paletteTable.entries[0];
    if (RunImageDialog(*this, FileDialogPath, kSaveFractalTitle, true) && SettleRenderBeforeSave(*this)) {
        SaveImageToFile(*this, FileDialogPath, BitmapChosen(*this));
    }
    paletteTable.entries[255] = savedColour;
}

void ZorbGUI::SaveCycleRange()
{
    // The dialog returns the chosen path in the program-folder buffer; later file commands cut
    // it back to its folder.
    if (RunImageDialog(*this, exeDir, kSaveSequenceTitle, false) && SettleRenderBeforeSave(*this)) {
        SaveCycleRangeToFiles(*this, exeDir, BitmapChosen(*this));
    }
}
