// Entry of the scalar build: it runs on any processor, so it always opens its window.
#include <windows.h>

#include "app/startup/Startup.h"
#include "app/window/MainWindow.h"
#include "render/CpuProbe.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    // The probe's figure, capped at the build's word size, is only printed.
    const int bits = DetectSimdBits();
    return RunStartup(commandLine, bits, FallbackChoice{nullptr, nullptr}, RunMainWindow);
}
