// Entry of the AVX build. Nothing here or before the decision may use an AVX instruction: on a
// processor without AVX this code has to run to offer a narrower build.
#include <windows.h>

#include "app/window/MainWindow.h"
#include "render/CpuProbe.h"
#include "render/avx/AvxStartup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    const int bits = DetectSimdBits();
    return RunStartup(commandLine, bits, AvxStartupChoice(bits), RunMainWindow);
}
