#include "app/dialogs/FileNameEdit.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/dialogs/FileDialog.h"

LRESULT CALLBACK FileNameEditSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR subclassId, DWORD_PTR referenceData)
{
    if (message != WM_DROPFILES) {
        return DefSubclassProc(window, message, wParam, lParam);
    }
    HDROP drop = reinterpret_cast<HDROP>(wParam);
    char path[MAX_PATH] = {};
    const UINT length = DragQueryFileA(drop, 0, path, MAX_PATH);
    // The drop's memory is ours once the message arrives.
    DragFinish(drop);
    if (length > 0) {
        StripFileName(path);
        SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
    }
    return 1;
}
