#include "app/saver/LargeImageDialog.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "render/Processors.h"
#include "render/RenderRunningFlag.h"
#include "app/dialogs/ErrorBox.h"
#include "app/dialogs/FileDialog.h"
#include "app/dialogs/FileNameEdit.h"
#include "app/files/OutputFile.h"
#include "app/saver/LargeBitmapSaver.h"
#include "app/saver/LargeImageLimits.h"
#include "app/saver/LargeImageSettings.h"
#include "app/view/ViewAspect.h"
#include "resource.h"

namespace {
namespace Id = LargeImageDialogId;

// GetDlgItemTextA counts the terminator.
constexpr int kFileNameChars = 258 + 1;
constexpr int kIterationChars = 1022 + 1;
// A number longer than this still reads as too large from its first digits.
constexpr int kSideChars = 64;
// How long OK waits for a cancelled save that is still closing its file before refusing.
constexpr DWORD kPreviousSaveWaitMs = 2000;

constexpr char kReadyText[] = "Ready!";
constexpr char kBrowseTitle[] = "Save Image as ...";
constexpr char kBrowseDefaultExt[] = "bmp";
constexpr char kBitmapDefaultName[] = "image.bmp";
constexpr char kJpegDefaultName[] = "image.jpeg";
constexpr char kBusyText[] =
    "The last large image is still being written.\nTry again once it has finished.";
constexpr char kNoMemoryText[] =
    "There is not enough memory to render an image this wide with this many threads.\n"
    "Choose a smaller width or fewer threads.";
constexpr char kNoThreadText[] = "The render could not be started.";

// The browse button's file buffer. It stays in the shared file-dialog record after the
// dialog, so it must outlive this dialog.
char BrowsePath[MAX_PATH];

void Refuse(const LargeImageDialogOwner& owner, HWND dialog, const char* text)
{
    ShowErrorBox(dialog, owner.caption, text);
}

HWND CreateDialogStatusBar(HWND dialog)
{
    return CreateWindowExA(0, STATUSCLASSNAMEA, kReadyText, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, dialog,
                           nullptr, reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)),
                           nullptr);
}

INT_PTR OnInitDialog(const LargeImageDialogOwner& owner, HWND dialog)
{
    LargeImageSettings& settings = *owner.settings;
    CheckDlgButton(dialog, Id::KeepAspect, BST_CHECKED);
    SetDlgItemInt(dialog, Id::Width, static_cast<UINT>(settings.width), FALSE);
    SetDlgItemInt(dialog, Id::Height, static_cast<UINT>(settings.height), FALSE);
    SetDlgItemInt(dialog, Id::Iterations, settings.iterations, FALSE);
    const HWND statusBar = CreateDialogStatusBar(dialog);
    owner.saver->Init(dialog, GetDlgItem(dialog, Id::Progress), statusBar);
    SetDlgItemTextA(dialog, Id::FileName, owner.folder);

    const int processors = CountLogicalProcessors();
    const HWND trackbar = GetDlgItem(dialog, Id::Threads);
    SendMessageA(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(0, processors - 1));
    if (settings.threads == -1) {
        settings.threads = processors;
    }
    SendMessageA(trackbar, TBM_SETPOS, TRUE, settings.threads - 1);
    char count[16];
    snprintf(count, sizeof(count), "%d", processors);
    SetDlgItemTextA(dialog, Id::ThreadMax, count);

    SetWindowSubclass(GetDlgItem(dialog, Id::FileName), FileNameEditSubclassProc, 0, 0);
    CheckDlgButton(dialog, Id::Jpeg, BST_CHECKED);
    CheckDlgButton(dialog, Id::Bitmap, BST_UNCHECKED);
    owner.saver->SetFileType(LargeImageFileType::Jpeg);
    return TRUE;
}

void Browse(const LargeImageDialogOwner& owner, HWND dialog)
{
    const bool bitmap = owner.saver->GetFileType() == LargeImageFileType::Bitmap;
    const DWORD folder = GetTempPathA(MAX_PATH, BrowsePath);
    if (folder == 0 || folder >= MAX_PATH) {
        BrowsePath[0] = '\0';
    }
    const size_t used = strlen(BrowsePath);
    snprintf(BrowsePath + used, MAX_PATH - used, "%s", bitmap ? kBitmapDefaultName : kJpegDefaultName);

    OPENFILENAMEA* record = owner.fileDialog;
    record->hwndOwner = dialog;
    record->hInstance = nullptr;
    record->lpstrFilter = kImageFilter;
    record->lpstrFile = BrowsePath;
    record->lpstrFileTitle = owner.fileTitle;
    record->Flags = kSaveDialogFlags;
    record->lpstrTitle = kBrowseTitle;
    record->lpstrDefExt = kBrowseDefaultExt;
    // The chosen filter does not change the file type: the radio buttons decide.
    if (GetSaveFileNameA(record)) {
        SetDlgItemTextA(dialog, Id::FileName, BrowsePath);
    }
}

// A width or height box as typed. GetDlgItemInt would give 0 for a number past 32 bits and
// wrap one past 2147483647 into a negative int32, both then refused as below one pixel.
int64_t ReadImageSide(HWND dialog, int id)
{
    char text[kSideChars] = {};
    GetDlgItemTextA(dialog, id, text, kSideChars);
    return ParseImageSide(text);
}

// What OK asks for, as the dialog's controls say it, with the sides already read and checked;
// what the controls do not hold comes from `stored`.
LargeImageSettings ReadRequest(HWND dialog, const LargeImageSettings& stored, int32_t width, int32_t height)
{
    LargeImageSettings request = stored;
    request.width = width;
    request.height = height;
    char iterations[kIterationChars] = {};
    GetDlgItemTextA(dialog, Id::Iterations, iterations, kIterationChars);
    request.iterations = ParseIterationLimit(iterations, request.iterations);
    const LRESULT position = SendDlgItemMessageA(dialog, Id::Threads, TBM_GETPOS, 0, 0);
    request.threads = position + 1 > 1 ? static_cast<int32_t>(position + 1) : 1;
    return request;
}

void StartSave(const LargeImageDialogOwner& owner, HWND dialog)
{
    LargeBitmapSaver& saver = *owner.saver;
    // OK reached again while this dialog's save runs (Enter with the button disabled), or a
    // save that was cancelled a moment ago still closing its file: never two at once.
    if (saver.IsRenderingFor(dialog) ||
        (saver.IsBusy() && !saver.WaitUntilIdle(kPreviousSaveWaitMs))) {
        Refuse(owner, dialog, kBusyText);
        return;
    }
    char path[kFileNameChars] = {};
    GetDlgItemTextA(dialog, Id::FileName, path, kFileNameChars);
    const bool keepAspect = IsDlgButtonChecked(dialog, Id::KeepAspect) == BST_CHECKED;
    const LargeImageFileType type = saver.GetFileType();

    // Everything that can be refused is refused before the file is opened, so a refusal
    // never truncates the file that was named.
    const int64_t width = ReadImageSide(dialog, Id::Width);
    const int64_t height = ReadImageSide(dialog, Id::Height);
    const LargeImageSizeCheck size = CheckLargeImageSize(width, height, type);
    if (size != LargeImageSizeCheck::Ok) {
        Refuse(owner, dialog, LargeImageSizeMessage(size));
        return;
    }
    const LargeImageSettings request =
        ReadRequest(dialog, *owner.settings, static_cast<int32_t>(width), static_cast<int32_t>(height));
    switch (saver.Reserve(request, type)) {
    case LargeImageReserve::Ok:
        break;
    case LargeImageReserve::Busy:
        Refuse(owner, dialog, kBusyText);
        return;
    case LargeImageReserve::NoMemory:
        Refuse(owner, dialog, kNoMemoryText);
        return;
    }
    ReplacingFile file;
    if (!file.Open(path)) {
        saver.CancelReservation();
        ShowErrorBox(nullptr, owner.caption, kCreateFileErrorText);
        return;
    }
    *owner.settings = request;

    const LargeImageSource source = owner.source();
    View view = source.view;
    if (keepAspect) {
        view = FixViewAspectOrKeep(view, request.width, request.height);
    }
    const HWND ok = GetDlgItem(dialog, IDOK);
    EnableWindow(ok, FALSE);
    RenderRunningFlag.exchange(true);
    if (!saver.Start(source.look, view, std::move(file))) {
        EnableWindow(ok, TRUE);
        Refuse(owner, dialog, kNoThreadText);
    }
}

void Cancel(const LargeImageDialogOwner& owner, HWND dialog)
{
    RenderRunningFlag.exchange(false);
    owner.saver->DetachDialog();
    EndDialog(dialog, 0);
}

INT_PTR OnCommand(const LargeImageDialogOwner& owner, HWND dialog, WPARAM wParam)
{
    if (HIWORD(wParam) != 0) {
        return FALSE;
    }
    switch (LOWORD(wParam)) {
    case Id::Jpeg:
        CheckDlgButton(dialog, Id::Bitmap, BST_UNCHECKED);
        owner.saver->SetFileType(LargeImageFileType::Jpeg);
        break;
    case Id::Bitmap:
        CheckDlgButton(dialog, Id::Jpeg, BST_UNCHECKED);
        owner.saver->SetFileType(LargeImageFileType::Bitmap);
        break;
    case Id::KeepAspect:
        break;
    case Id::Browse:
        Browse(owner, dialog);
        break;
    case IDOK:
        StartSave(owner, dialog);
        break;
    default:
        Cancel(owner, dialog);
        break;
    }
    return TRUE;
}

INT_PTR CALLBACK SaveLargeImageDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return OnInitDialog(*reinterpret_cast<const LargeImageDialogOwner*>(lParam), dialog);
    }
    const auto* owner = reinterpret_cast<const LargeImageDialogOwner*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (owner == nullptr) {
        return FALSE; // the messages before WM_INITDIALOG
    }
    switch (message) {
    case WM_COMMAND:
        return OnCommand(*owner, dialog, wParam);
    case LargeImageMessage::Progress:
        owner->saver->ShowProgress();
        return TRUE;
    case LargeImageMessage::Finished:
        owner->saver->ShowFinished(owner->caption);
        return TRUE;
    case WM_DESTROY:
        // However the dialog goes, a save still running must not report to it any more.
        owner->saver->DetachDialog();
        EndDialog(dialog, 0);
        return FALSE;
    default:
        return FALSE;
    }
}
} // namespace

INT_PTR OpenSaveLargeImageDialog(HINSTANCE instance, HWND ownerWindow, const LargeImageDialogOwner& owner)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(LargeImageDialogId::Dialog), ownerWindow,
                           SaveLargeImageDlgProc, reinterpret_cast<LPARAM>(&owner));
}
