#include "app/commands/CommandsFiles.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "app/dialogs/ErrorBox.h"
#include "app/dialogs/FileDialog.h"
#include "app/files/BitmapFile.h"
#include "app/files/JpegFile.h"
#include "app/files/OutputFile.h"
#include "app/window/ZorbGUI.h"

namespace {

// A stopped render's kernels return after the pixel they are on, and its threads need their
// sent messages answered meanwhile, which JoinRenderThread does. A pixel can take seconds at
// an iteration limit of billions; a minute means the render is not ending.
constexpr DWORD kSaveJoinTimeoutMs = 60000;
constexpr int kCycleFrames = 256;
constexpr size_t kExtensionLength = 4;  // ".jpg", ".bmp", ".dat" of the chosen name

void ShowCreateError(const ZorbGUI& gui)
{
    ShowErrorBox(nullptr, gui.GetTitle(), kCreateFileErrorText);
}

// The window's picture as the writers take it.
DibPicture WindowPicture(ZorbGUI& gui)
{
    return MakeDibPicture(gui.GetDibBits(), gui.GetSmoothBuffer(), gui.screenStride, gui.screenHeight,
                          gui.screenWidth, gui.GetWidth(), gui.GetHeight(), gui.GetPalette());
}

enum class PictureSave { Saved, NotCreated, NotWritten };

// One picture file, written beside `path` and put in its place only when whole, so that a
// full disk never destroys the file it was to replace. The bitmap writer tells its own
// failed checks; what else fails is told here.
PictureSave SavePicture(ZorbGUI& gui, const char* path, bool bitmap)
{
    ReplacingFile output;
    if (!output.Open(path)) {
        ShowCreateError(gui);
        return PictureSave::NotCreated;
    }
    bool written;
    if (bitmap) {
        gui.imageStride = InitBitmapInfoHeader(gui.imageBitmapInfo->header, gui.GetWidth(), gui.GetHeight());
        written = WriteBitmap(output.Out(), gui.imageBitmapInfo.get(), WindowPicture(gui), gui.GetHwnd());
        if (!written) {
            output.Discard();
            return PictureSave::NotWritten;
        }
    } else {
        written = WriteJpeg(output.Out(), WindowPicture(gui));
    }
    if (!written || !output.Commit()) {
        output.Discard();
        ShowWriteError(gui);
        return PictureSave::NotWritten;
    }
    return PictureSave::Saved;
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
        ShowErrorBox(gui.GetHwnd(), gui.GetTitle(), "The picture is still being drawn, so it was not saved.");
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

void ShowWriteError(const ZorbGUI& gui)
{
    ShowErrorBox(gui.GetHwnd(), gui.GetTitle(), kWriteErrorText);
}

void SaveImageToFile(ZorbGUI& gui, const char* path, bool bitmap)
{
    SavePicture(gui, path, bitmap);
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
        if (!CycleFrameName(path, frame, bitmap, name, sizeof(name))) {
            ShowCreateError(gui);
            complete = false;
            break;
        }
        // A frame that cannot be written ends the sequence as one that cannot be created
        // does: the frames before it stay, the one that failed keeps what it held.
        if (SavePicture(gui, name, bitmap) != PictureSave::Saved) {
            complete = false;
            break;
        }

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
