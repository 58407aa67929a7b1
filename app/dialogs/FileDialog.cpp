#include "app/dialogs/FileDialog.h"

#include <string>

#include "Updater/Updater/ProgramFolder.h"

char FileDialogPath[MAX_PATH] = {};

namespace {

constexpr char kCoordinatesExtension[] = "dat";

}  // namespace

void InitFileDialogRecord(HWND owner, OPENFILENAMEA* record)
{
    ZeroMemory(record, sizeof(*record));
    record->lStructSize = sizeof(OPENFILENAMEA);
    record->hwndOwner = owner;
    record->lpstrFilter = kCoordinatesFilter;
    record->nMaxFile = MAX_PATH;
    record->nMaxFileTitle = MAX_PATH;
    record->lpstrDefExt = kCoordinatesExtension;
}

void StripFileName(char* path)
{
    // A bare name has no folder to cut back to, and is left as it is.
    const std::string folder = FolderOfPath(path);
    if (!folder.empty()) {
        path[folder.size()] = '\0';
    }
}

void PrepareFileDialog(OPENFILENAMEA* record, HWND owner, char* fileTitle, char* exeDir,
                       const FileDialogSetup& setup)
{
    record->hwndOwner = owner;
    record->lpstrFilter = setup.filter;
    record->lpstrFile = setup.file;
    record->lpstrFileTitle = fileTitle;
    record->Flags = setup.flags;
    record->lpstrTitle = setup.title;
    StripFileName(exeDir);
    if (setup.setInitialDir) {
        record->lpstrInitialDir = exeDir;
    }
}
