// The iteration-limit dialog, the About box and the file-name box of the large-picture dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/commands/DialogCommands.h"
#include "app/dialogs/AboutDialog.h"
#include "app/dialogs/FileNameEdit.h"
#include "app/window/ZorbGUI.h"
#include "resource_dialogs.h"
#include "tests/app_files/DialogDriver.h"

namespace {

TEST(MaxIterationsDialog, ShowsTheLimitAndSetsItOnOk)
{
    struct Case {
        const char* name;
        uint64_t limit;
        const char* typed;  // nullptr: leave the box as shown
        int button;
        const char* shown;
        uint64_t expected;
    };
    const Case cases[] = {
        {"unchanged", 512, nullptr, IDOK, "512", 512},
        {"empty box", 512, "", IDOK, "512", 0},
        {"typed", 512, "100000", IDOK, "512", 100000},
        {"above 32 bits", 5000000000ull, nullptr, IDOK, "5000000000", 4294967295ull},
        {"cancel", 512, "7", IDCANCEL, "512", 512},
    };
    ZorbGUI* gui = ZorbGUI::GetInstance();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gui->SetMaxIterations(c.limit);
        std::string shown;
        DialogDriver driver("Enter Maximum Iterations", [&](HWND dialog) {
            shown = WindowText(dialog, DialogResource::MaxIterationsEdit);
            if (c.typed != nullptr) {
                SetDlgItemTextA(dialog, DialogResource::MaxIterationsEdit, c.typed);
            }
            Click(dialog, c.button);
        });
        AskMaxIterations(*gui, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(driver.Finish());
        EXPECT_EQ(c.shown, shown);
        EXPECT_EQ(c.expected, gui->GetMaxIterations());
    }
    gui->SetMaxIterations(512);
}

BOOL CALLBACK FindPictureControl(HWND child, LPARAM found)
{
    if (SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0) {
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }
    return TRUE;
}

TEST(AboutDialog, ShowsNameVersionAndPicture)
{
    for (bool closeBox : {false, true}) {
        std::string text;
        BITMAP picture{};
        DialogDriver driver("About NewZorb", [&](HWND dialog) {
            text = WindowText(dialog, DialogResource::AboutText);
            HWND pictureControl = nullptr;
            EnumChildWindows(dialog, FindPictureControl, reinterpret_cast<LPARAM>(&pictureControl));
            if (pictureControl != nullptr) {
                auto bitmap = reinterpret_cast<HBITMAP>(SendMessageA(pictureControl, STM_GETIMAGE, IMAGE_BITMAP, 0));
                GetObjectA(bitmap, sizeof(picture), &picture);
            }
            if (closeBox) {
                PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            } else {
                Click(dialog, DialogResource::AboutOk);
            }
        });
        ShowAboutDialog(GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(driver.Finish());
        EXPECT_EQ(0u, text.rfind("\nZorbscape v1.5\n\n", 0)) << text;
        EXPECT_GT(text.size(), strlen("\nZorbscape v1.5\n\n"));
        EXPECT_EQ(155, picture.bmWidth);
        EXPECT_EQ(121, picture.bmHeight);
    }
}

TEST(AboutDialog, PictureResourceIs8BitsPerPixel)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(DialogResource::AboutPicture), MAKEINTRESOURCEA(2));
    ASSERT_NE(nullptr, found);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, found)));
    EXPECT_EQ(155, header->biWidth);
    EXPECT_EQ(121, header->biHeight);
    EXPECT_EQ(8, header->biBitCount);
    EXPECT_EQ(256u, header->biClrUsed == 0 ? 256u : header->biClrUsed);
}

// An HDROP as the shell makes it for a drop of these files.
HGLOBAL MakeDrop(const std::vector<std::string>& files)
{
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& f : files) {
        size += f.size() + 1;
    }
    HGLOBAL memory = GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* names = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
    for (const std::string& f : files) {
        memcpy(names, f.c_str(), f.size() + 1);
        names += f.size() + 1;
    }
    GlobalUnlock(memory);
    return memory;
}

TEST(FileNameEdit, DropLeavesTheFolderOfTheFirstFile)
{
    HWND edit = CreateWindowExA(WS_EX_ACCEPTFILES, "EDIT", "", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, edit);
    ASSERT_TRUE(SetWindowSubclass(edit, FileNameEditSubclassProc, 0, 0));
    struct Case {
        std::vector<std::string> files;
        const char* expected;
    };
    const Case cases[] = {
        {{"C:\\Pictures\\old.bmp"}, "C:\\Pictures\\"},
        {{"C:\\one\\a.bmp", "D:\\two\\b.jpg"}, "C:\\one\\"},
        {{"C:/mixed\\dir/pic.jpg"}, "C:/mixed\\dir/"},
        {{"C:\\Pictures\\Folder"}, "C:\\Pictures\\"},
        {{"nofolder.bmp"}, "nofolder.bmp"},
    };
    for (const Case& c : cases) {
        SetWindowTextA(edit, "before");
        const LRESULT result = SendMessageA(edit, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(c.files)), 0);
        EXPECT_EQ(1, result);
        EXPECT_EQ(c.expected, WindowText(edit));
    }
    // Everything else is the edit box's own business.
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed"));
    EXPECT_EQ("typed", WindowText(edit));
    DestroyWindow(edit);
}

}  // namespace
