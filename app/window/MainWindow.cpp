#include "app/window/MainWindow.h"

#include <windows.h>

#include "app/dialogs/AboutDialog.h"
#include "app/window/ZorbGUI.h"
#include "Updater/Updater/UpdateCheck.h"

int RunMainWindow(const char* commandLine)
{
    ZorbGUI* gui = ZorbGUI::GetInstance();
    if (ZorbGUI::CreateMainWindow(gui, commandLine) != 0) {
        ZorbGUI::DestroyInstance();
        return 0;
    }
    StartUpdateCheck(commandLine, ProgramVersion, gui->GetHwnd());
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ZorbGUI::DestroyInstance();
    return 0;
}
