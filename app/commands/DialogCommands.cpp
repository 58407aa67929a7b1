#include "app/commands/DialogCommands.h"

#include <cstring>

#include "app/dialogs/MaxIterationsDialog.h"
#include "app/saver/LargeBitmapSaver.h"
#include "app/saver/LargeImageDialog.h"
#include "app/saver/LargeImageSettings.h"
#include "app/window/ZorbGUI.h"

namespace {

// UI thread only: the window's own thread is the one that cycles its palette.
WindowRenderSettings LookOf(ZorbGUI& gui)
{
    WindowRenderSettings settings;
    const RGBQUAD* window = gui.GetPalette();
    if (window != nullptr) {
        memcpy(settings.palette, window, sizeof(settings.palette));
    } else {
        memset(settings.palette, 0, sizeof(settings.palette));
    }
    settings.formula = gui.GetFormula();
    settings.julia = gui.IsJulia();
    settings.juliaRe = gui.GetJuliaRe();
    settings.juliaIm = gui.GetJuliaIm();
    settings.linearColouring = gui.IsLinearColouring();
    return settings;
}

} // namespace

void AskMaxIterations(ZorbGUI& gui, HINSTANCE instance, HWND owner)
{
    uint64_t chosen = 0;
    if (ShowMaxIterationsDialog(instance, owner, gui.GetMaxIterations(), &chosen)) {
        gui.SetMaxIterations(chosen);
    }
}

INT_PTR SaveLargeImage(ZorbGUI& gui, HINSTANCE instance, HWND owner)
{
    LargeImageDialogOwner from;
    from.saver = &LargeBitmapSaverInstance;
    from.settings = &LargeImageSettingsInstance;
    from.caption = gui.GetTitle();
    from.folder = gui.GetExeDir();
    from.fileDialog = gui.GetFileDialogRecord();
    from.fileTitle = gui.GetFileTitleBuffer();
    from.source = [&gui] { return LargeImageSource{*gui.GetView(), LookOf(gui)}; };
    return OpenSaveLargeImageDialog(instance, owner, from);
}
