#include "app/WindowRenderSettings.h"

#include <cstring>

#include "app/ZorbGUI.h"

WindowRenderSettings CopyWindowRenderSettings(ZorbGUI& gui)
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
