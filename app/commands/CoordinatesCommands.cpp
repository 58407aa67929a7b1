#include "app/commands/CoordinatesCommands.h"

#include <cstdio>
#include <string>

#include "app/commands/CommandsFiles.h"
#include "app/dialogs/ErrorBox.h"
#include "app/dialogs/FileDialog.h"
#include "app/files/CoordinatesFile.h"
#include "app/files/OutputFile.h"
#include "app/handles/ScopedHandle.h"
#include "app/view/ViewAspect.h"
#include "app/view/ViewBounds.h"
#include "app/window/ZorbGUI.h"
#include "render/Formula.h"

namespace {

void ShowFileError(const ZorbGUI& gui, const char* text)
{
    ShowErrorBox(nullptr, gui.GetTitle(), text);
}

CoordinateRecord RecordOf(const ZorbGUI& gui)
{
    CoordinateRecord record;
    record.xMin = gui.view.xMin;
    record.xMax = gui.view.xMax;
    record.yMin = gui.view.yMin;
    record.yMax = gui.view.yMax;
    record.julia = gui.julia;
    record.juliaRe = gui.juliaRe;
    record.juliaIm = gui.juliaIm;
    record.formula = gui.formula;
    return record;
}

// Spans, steps and the aspect fix for the image; an image area smaller than the bars has no
// size to fit, and the next render start works the spans out again. An aspect fix that would
// leave nothing to draw is not done, here as everywhere (FixViewAspectOrKeep), so the file's
// own proportions are kept. False, the window's view untouched, when even those cannot be
// drawn (IsDrawableView).
bool FitLoadedView(ZorbGUI& gui)
{
    const int width = gui.GetWidth();
    const int height = gui.GetHeight();
    View view = gui.view;
    view.UpdateSpans();
    if (width >= 1 && height >= 1) {
        // Twice: the first fix changes the steps the second one works from, and the second pass
        // settles the pixel alignment.
        for (int pass = 0; pass < 2; ++pass) {
            view.UpdateSpans();
            view.UpdateSteps(width, height);
            view = FixViewAspectOrKeep(view, width, height);
        }
    }
    // A file may give the bounds the wrong way round, which the render start would put right;
    // done here, the view has positive spans from the start like every other.
    if (view.xMin > view.xMax || view.yMin > view.yMax) {
        view = WithOrderedBounds(view);
        view.UpdateSpans();
    }
    if (!IsDrawableView(view)) {
        return false;
    }
    gui.view = view;
    return true;
}

void ResetAfterInvalidFile(ZorbGUI& gui)
{
    ShowFileError(gui, "Invalid CO-ord File, Resetting...");
    gui.julia = false;
    gui.formula = Formula::Power2;
    gui.view.SetDefault();
    if (gui.GetWidth() >= 1 && gui.GetHeight() >= 1) {
        gui.view = gui.FixAspect();
    }
    gui.RequestRedraw();
}

bool RunCoordinatesDialog(ZorbGUI& gui, const char* title, DWORD flags, bool save)
{
    OPENFILENAMEA* record = gui.GetFileDialogRecord();
    PrepareFileDialog(record, gui.GetHwnd(), gui.GetFileTitleBuffer(), gui.GetExeDir(),
                      FileDialogSetup{kCoordinatesFilter, FileDialogPath, title, flags, true});
    return save ? GetSaveFileNameA(record) != FALSE : GetOpenFileNameA(record) != FALSE;
}

}  // namespace

void SaveCoordinatesToFile(ZorbGUI& gui, const char* path)
{
    ReplacingFile output;
    if (!output.Open(path)) {
        ShowFileError(gui, kCreateFileErrorText);
        return;
    }
    const std::string text = FormatCoordinates(RecordOf(gui));
    if (output.Out().Write(text.data(), text.size()) != text.size() || !output.Commit()) {
        output.Discard();
        ShowWriteError(gui);
    }
}

void LoadCoordinatesFromFile(ZorbGUI& gui, const char* path)
{
    CoordinateRecord record = RecordOf(gui);
    bool valid;
    {
        const CFile file(fopen(path, "rb"));
        if (!file) {
            ShowFileError(gui, "Error Opening File");
            return;
        }
        valid = CoordinateBytesValid(file.get());
        if (valid) {
            rewind(file.get());
            valid = ParseCoordinates(file.get(), record);
        }
    }

    // What was read before an invalid file ended stays: the bounds are replaced by the reset
    // below, the Julia constant is kept.
    gui.view.xMin = record.xMin;
    gui.view.xMax = record.xMax;
    gui.view.yMin = record.yMin;
    gui.view.yMax = record.yMax;
    gui.juliaRe = record.juliaRe;
    gui.juliaIm = record.juliaIm;
    if (!valid) {
        ResetAfterInvalidFile(gui);
        return;
    }
    if (!FitLoadedView(gui)) {
        ResetAfterInvalidFile(gui);
        return;
    }
    gui.julia = record.julia;
    gui.formula = record.formula;
    gui.RequestRedraw();
}

void ZorbGUI::SaveCoordinates()
{
    if (RunCoordinatesDialog(*this, kSaveFractalTitle, kSaveDialogFlags, true)) {
        SaveCoordinatesToFile(*this, FileDialogPath);
    }
}

void ZorbGUI::LoadCoordinates()
{
    if (RunCoordinatesDialog(*this, kOpenFractalTitle, kOpenDialogFlags, false)) {
        LoadCoordinatesFromFile(*this, FileDialogPath);
    }
}
