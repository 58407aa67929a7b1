// Save Image, Save Cycle Range and the co-ordinates commands, file dialogs included.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <string>

#include "app/commands/CommandsFiles.h"
#include "app/dialogs/FileDialog.h"
#include "tests/app_files/DialogDriver.h"
#include "tests/app_files/PictureFixture.h"
#include "tests/support/PollUntil.h"
#include "tests/support/WindowlessGui.h"

namespace {

constexpr int kWidth = 10;
constexpr int kHeight = 6;
constexpr char kTitle[] = "Zorbscape";

std::string ComboText(HWND dialog, int id, int index)
{
    char text[256] = {};
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

// Generous: the file dialogs come up slowly on a loaded machine.
constexpr DWORD kDialogLimitMs = 20000;

bool WaitUntil(const std::function<bool()>& done, DWORD limitMs)
{
    return PollUntil(done, limitMs, [] { Sleep(10); });
}

// Types a name into a file dialog and accepts it; cancels if the dialog stays open.
std::function<void(HWND)> ChooseFile(const std::string& path, std::vector<std::string>* filters = nullptr)
{
    return [path, filters](HWND dialog) {
        // The name box is an editable combo box in the explorer-style dialog, an edit in
        // the older one. Typing before the dialog has filled its filter list could have the
        // name replaced as it finishes.
        const auto nameBox = [dialog] { return GetDlgItem(dialog, cmb13) != nullptr ? cmb13 : edt1; };
        WaitUntil([&] {
            return GetDlgItem(dialog, nameBox()) != nullptr &&
                   SendDlgItemMessageA(dialog, cmb1, CB_GETCOUNT, 0, 0) > 0;
        }, kDialogLimitMs);
        if (filters != nullptr) {
            filters->push_back(ComboText(dialog, cmb1, 0));
            filters->push_back(ComboText(dialog, cmb1, 1));
        }
        SetDlgItemTextA(dialog, nameBox(), path.c_str());
        Click(dialog, IDOK);
        if (!WaitUntil([dialog] { return !IsWindow(dialog); }, kDialogLimitMs)) {
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    };
}

TEST(CycleFrameName, ThreeDigitsAfterTheNameWithoutItsExtension)
{
    struct Case {
        const char* path;
        int frame;
        bool bitmap;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\pics\\pic.jpg", 0, false, "C:\\pics\\pic000.jpg"},
        {"C:\\pics\\pic.jpg", 9, true, "C:\\pics\\pic009.bmp"},
        {"C:\\pics\\pic.dat", 10, false, "C:\\pics\\pic010.jpg"},
        {"C:\\pics\\pic.bmp", 99, true, "C:\\pics\\pic099.bmp"},
        {"C:\\pics\\pic.bmp", 255, true, "C:\\pics\\pic255.bmp"},
        {"C:\\pics\\picture", 100, false, "C:\\pics\\pic100.jpg"},
        {"ab", 1, false, "001.jpg"},
    };
    for (const Case& c : cases) {
        char name[MAX_PATH + 8];
        ASSERT_TRUE(CycleFrameName(c.path, c.frame, c.bitmap, name, sizeof(name)));
        EXPECT_STREQ(c.expected, name);
    }
    char small[8];
    EXPECT_FALSE(CycleFrameName("C:\\pic.jpg", 1, false, small, sizeof(small)));
}

TEST(SaveCycleRange, WritesFramesZeroTo255TwoColoursApart)
{
    ZorbGUI* gui = WindowlessGui(kWidth, kHeight);
    gui->cycleStep = 7;
    const std::string path = TempPath("seq.bmp");
    {
        BoxAnswerer boxes(kTitle);
        SaveCycleRangeToFiles(*gui, path.c_str(), true);
        EXPECT_TRUE(boxes.Texts().empty());
    }
    const std::string stem = path.substr(0, path.size() - 4);
    for (int frame : {0, 1, 100, 255}) {
        SCOPED_TRACE(frame);
        char number[8];
        snprintf(number, sizeof(number), "%03d", frame);
        const std::string bytes = ReadFile(stem + number + ".bmp");
        ASSERT_EQ(1078u + 12 * kHeight, bytes.size());
        const RGBQUAD* window = gui->paletteTable.entries + (2 * frame) % 256;
        EXPECT_EQ(0, memcmp(&window[0], bytes.data() + 54, 4));
        EXPECT_EQ(0, memcmp(&window[254], bytes.data() + 54 + 4 * 254, 4));
        EXPECT_EQ(std::string(4, '\0'), bytes.substr(54 + 4 * 255, 4));
    }
    EXPECT_EQ(nullptr, fopen((stem + "256.bmp").c_str(), "rb"));
    // 257 steps of two entries: the window ends two entries on, and the step is given back.
    EXPECT_EQ(2, gui->cycleOffset);
    EXPECT_EQ(gui->paletteTable.entries + 2, gui->paletteWindow);
    EXPECT_EQ(7, gui->cycleStep);
    for (int frame = 0; frame < 256; ++frame) {
        char number[8];
        snprintf(number, sizeof(number), "%03d", frame);
        EXPECT_EQ(0, remove((stem + number + ".bmp").c_str())) << frame;
    }
}

TEST(SaveCycleRange, FileThatCannotBeCreatedEndsTheSequence)
{
    ZorbGUI* gui = WindowlessGui(kWidth, kHeight);
    gui->cycleStep = 3;
    const std::string path = TempPath("no-such-folder\\seq.jpg");
    BoxAnswerer boxes(kTitle);
    SaveCycleRangeToFiles(*gui, path.c_str(), false);
    EXPECT_EQ(std::vector<std::string>{"Error Creating File"}, boxes.Texts());
    EXPECT_EQ(0, gui->cycleOffset);
    EXPECT_EQ(3, gui->cycleStep);
}

TEST(SaveImage, FilterIndexChoosesTheFormatAndEntry255IsRestored)
{
    ZorbGUI* gui = WindowlessGui(kWidth, kHeight);
    InitFileDialogRecord(nullptr, gui->GetFileDialogRecord());
    gui->paletteTable.entries[255] = RGBQUAD{1, 2, 3, 0};
    const std::string path = TempPath("typed-as.jpg");

    struct Case {
        DWORD filterIndex;
        const char* signature;
    };
    for (const Case& c : {Case{kBitmapFilterIndex, "BM"}, Case{1, "\xFF\xD8"}}) {
        SCOPED_TRACE(c.filterIndex);
        gui->GetFileDialogRecord()->nFilterIndex = c.filterIndex;
        std::vector<std::string> filters;
        DialogDriver driver("Save Fractal as ...", ChooseFile(path, &filters));
        gui->SaveImage();
        ASSERT_TRUE(driver.Finish());
        EXPECT_EQ((std::vector<std::string>{"Jpeg Files (*.jpg)", "Bitmap Files (*.bmp) "}), filters);
        EXPECT_EQ(c.signature, ReadFile(path).substr(0, 2));
        const RGBQUAD& restored = gui->paletteTable.entries[255];
        EXPECT_EQ(1, restored.rgbBlue);
        EXPECT_EQ(3, restored.rgbRed);
        EXPECT_EQ(kWidth, gui->imageBitmapInfo->header.biWidth);
        EXPECT_EQ(kHeight, gui->imageBitmapInfo->header.biHeight);
        remove(path.c_str());
    }
}

TEST(CoordinatesDialogs, SaveAppendsDatAndLoadReopensTheLastPath)
{
    ZorbGUI* gui = WindowlessGui(300, 260);
    InitFileDialogRecord(nullptr, gui->GetFileDialogRecord());
    gui->GetFileDialogRecord()->nFilterIndex = 1;
    const std::string typed = TempPath("typed-view");
    std::vector<std::string> filters;
    {
        DialogDriver driver("Save Fractal as ...", ChooseFile(typed, &filters));
        gui->SaveCoordinates();
        ASSERT_TRUE(driver.Finish());
    }
    EXPECT_EQ((std::vector<std::string>{"DAT Files (*.dat) ", "All Files (*.*)"}), filters);
    const std::string saved = typed + ".dat";
    EXPECT_EQ("-2 1 -1.2999999523162841796875 1.2999999523162841796875 0 2", ReadFile(saved));
    EXPECT_STREQ(saved.c_str(), FileDialogPath);

    gui->formula = 4;
    {
        DialogDriver driver("Open Existing Fractal...", ChooseFile(saved));
        gui->LoadCoordinates();
        ASSERT_TRUE(driver.Finish());
    }
    EXPECT_EQ(2, gui->formula);
    remove(saved.c_str());
}

}  // namespace
