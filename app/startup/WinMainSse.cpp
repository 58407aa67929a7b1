// Entry of the SSE2 build: its window from 128 bits up, else the scalar build is offered.
#include <windows.h>

#include "app/startup/Startup.h"
#include "app/window/MainWindow.h"
#include "render/CpuProbe.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    const int bits = DetectSimdBits();
    return RunStartup(commandLine, bits, SseStartupChoice(bits), RunMainWindow);
}
