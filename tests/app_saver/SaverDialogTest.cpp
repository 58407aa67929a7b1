// Dialog 125 driven in-process, as a user would drive it, from a helper thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <string>

#include "render/Processors.h"
#include "render/RenderRunningFlag.h"
#include "app/saver/LargeBitmapSaver.h"
#include "app/saver/LargeImagePassBuffers.h"
#include "app/saver/LargeImageSettings.h"
#include "app/window/ZorbGUI.h"
#include "resource.h"
#include "tests/app_saver/DialogScript.h"
#include "tests/app_saver/SaverFixture.h"

namespace {
namespace Id = LargeImageDialogId;

constexpr char kTitle[] = "Zorbscape";
constexpr char kSavedCaption[] = "File Saved";

constexpr char kSlowIterations[] = "4000000";
constexpr DWORD kCancelEndsDialogMs = 20000;

void FillRequest(HWND dialog, const char* width, const char* height, const char* iterations, int threads,
                 LargeImageFileType type, const std::string& path)
{
    SetField(dialog, Id::Width, width);
    SetField(dialog, Id::Height, height);
    SetField(dialog, Id::Iterations, iterations);
    SetField(dialog, Id::FileName, path.c_str());
    SendDlgItemMessageA(dialog, Id::Threads, TBM_SETPOS, TRUE, threads - 1);
    SetChecked(dialog, Id::KeepAspect, false);
    ClickNow(dialog, type == LargeImageFileType::Bitmap ? Id::Bitmap : Id::Jpeg);
}

bool OkEnabled(HWND dialog)
{
    return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
}

// OK pressed on a save that takes seconds: waits until its first pass is under way, with the
// first pixel of its first row written (on the slow strip it escapes at once).
void StartSlowSave(HWND dialog)
{
    PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return LargeBitmapSaverInstance.IsRenderingFor(dialog); }, 10000));
    const volatile uint8_t* firstPixel = LargeBitmapSaverInstance.GetPassIndexRows();
    ASSERT_NE(nullptr, firstPixel);
    ASSERT_TRUE(WaitUntil([&] { return *firstPixel != kUnrenderedIndex; }));
    ASSERT_EQ(0, LargeBitmapSaverInstance.GetPassesWritten()) << "the first pass should still be running";
}

} // namespace

TEST(LargeImageDialog, OpensWithTheLastStartedSettings)
{
    LargeImageSettingsInstance = LargeImageSettings{};
    ZorbGUI* gui = SaverTestGui(LopsidedView());
    const int processors = CountLogicalProcessors();
    const std::string path = TempPath("saver-dialog-small.bmp");

    ASSERT_TRUE(RunLargeImageDialog([&](HWND dialog) {
        EXPECT_EQ("3840", FieldText(dialog, Id::Width));
        EXPECT_EQ("2160", FieldText(dialog, Id::Height));
        EXPECT_EQ("1000000", FieldText(dialog, Id::Iterations));
        EXPECT_EQ(gui->GetExeDir(), FieldText(dialog, Id::FileName));
        EXPECT_TRUE(IsChecked(dialog, Id::KeepAspect));
        EXPECT_TRUE(IsChecked(dialog, Id::Jpeg));
        EXPECT_FALSE(IsChecked(dialog, Id::Bitmap));
        EXPECT_EQ(std::to_string(processors), FieldText(dialog, Id::ThreadMax));
        EXPECT_EQ(processors - 1, SendDlgItemMessageA(dialog, Id::Threads, TBM_GETRANGEMAX, 0, 0));
        EXPECT_EQ(processors - 1, SendDlgItemMessageA(dialog, Id::Threads, TBM_GETPOS, 0, 0))
            << "the first opening takes every processor";

        FillRequest(dialog, "64", "40", "77", 1, LargeImageFileType::Bitmap, path);
        PressButton(dialog, IDOK);
        const std::string text = AnswerBox(kSavedCaption);
        EXPECT_EQ(0u, text.find("Completed. Time taken: ")) << text;
    }));
    EXPECT_EQ(1078u + 40 * 64, ReadWholeFile(path).size());

    ASSERT_TRUE(RunLargeImageDialog([&](HWND dialog) {
        EXPECT_EQ("64", FieldText(dialog, Id::Width));
        EXPECT_EQ("40", FieldText(dialog, Id::Height));
        EXPECT_EQ("77", FieldText(dialog, Id::Iterations));
        EXPECT_EQ(0, SendDlgItemMessageA(dialog, Id::Threads, TBM_GETPOS, 0, 0));
        EXPECT_EQ(gui->GetExeDir(), FieldText(dialog, Id::FileName));
        EXPECT_TRUE(IsChecked(dialog, Id::KeepAspect));
        EXPECT_TRUE(IsChecked(dialog, Id::Jpeg)) << "the format is chosen afresh each time";
        EXPECT_EQ(LargeImageFileType::Jpeg, LargeBitmapSaverInstance.GetFileType());
    }));
}

TEST(LargeImageDialog, CancelDuringTheFirstPassStillClosesAWholeFile)
{
    constexpr int kWidth = 3000;
    constexpr int kHeight = 64;
    for (const LargeImageFileType type : {LargeImageFileType::Bitmap, LargeImageFileType::Jpeg}) {
        const bool bitmap = type == LargeImageFileType::Bitmap;
        SCOPED_TRACE(bitmap ? "bitmap" : "jpeg");
        SaverTestGui(SlowStrip(), kSlowFormula);
        const std::string path = TempPath(bitmap ? "saver-cancel.bmp" : "saver-cancel.jpg");
        DWORD cancelledAt = 0;
        ASSERT_TRUE(RunLargeImageDialog([&](HWND dialog) {
            FillRequest(dialog, "3000", "64", kSlowIterations, 1, type, path);
            StartSlowSave(dialog);
            cancelledAt = GetTickCount();
            PressButton(dialog, IDCANCEL);
        }));
        // At once, not after the save: its rows take seconds each. The bound leaves room for
        // a busy machine.
        EXPECT_LT(GetTickCount() - cancelledAt, kCancelEndsDialogMs) << "Cancel ends the dialog at once";
        ASSERT_TRUE(LargeBitmapSaverInstance.WaitUntilIdle(30000));
        EXPECT_EQ(kHeight, LargeBitmapSaverInstance.GetPassesWritten());
        EXPECT_FALSE(LargeBitmapSaverInstance.LastSaveFailed());
        EXPECT_FALSE(BoxIsShowing(kSavedCaption)) << "nobody is told after a cancel";

        if (bitmap) {
            const std::vector<uint8_t> file = ReadWholeFile(path);
            ASSERT_EQ(1078u + kHeight * kWidth, file.size());
            EXPECT_EQ(file.size(), Le32(file, 2));
            // Picture row 1 is the file's last row: partly rendered, with escaping points.
            const uint8_t* top = file.data() + 1078 + (kHeight - 1) * kWidth;
            size_t escaped = 0;
            for (int x = 0; x < kWidth; ++x) {
                escaped += top[x] != 255;
            }
            EXPECT_GT(escaped, 0u);
            // Every row after the first pass was never rendered: index 255, not a leftover of row 1.
            size_t unrendered = 0;
            for (size_t i = 1078; i < 1078 + static_cast<size_t>(kHeight - 1) * kWidth; ++i) {
                unrendered += file[i] == 255;
            }
            EXPECT_EQ(static_cast<size_t>(kHeight - 1) * kWidth, unrendered);
        } else {
            DecodedJpeg jpeg;
            ASSERT_TRUE(DecodeJpeg(path, &jpeg)) << "the JPEG was finished";
            ASSERT_EQ(kHeight, jpeg.height);
            ASSERT_EQ(kWidth, jpeg.width);
            int brightest = 0;
            for (size_t i = static_cast<size_t>(32) * kWidth * 3; i < jpeg.rgb.size(); ++i) {
                brightest = jpeg.rgb[i] > brightest ? jpeg.rgb[i] : brightest;
            }
            EXPECT_LE(brightest, 2) << "rows never rendered are black";
        }
    }
}

TEST(LargeImageDialog, RefusesWhatItCannotSaveBeforeTouchingTheFile)
{
    SaverTestGui(LopsidedView());
    const int processors = CountLogicalProcessors();
    const LargeImageSettings before = LargeImageSettingsInstance;
    const struct {
        const char* width;
        const char* height;
        LargeImageFileType type;
        const char* message;
    } cases[] = {
        {"0", "10", LargeImageFileType::Bitmap, "at least 1 pixel"},
        {"10", "", LargeImageFileType::Jpeg, "at least 1 pixel"},
        {"70000", "10", LargeImageFileType::Jpeg, "65500"},
        {"10", "65501", LargeImageFileType::Jpeg, "65500"},
        {"65536", "65536", LargeImageFileType::Bitmap, "4 GB"},
        // Past 31 and past 32 bits: each refused with the limit it crosses, not read as a
        // negative or zero side.
        {"3000000000", "10", LargeImageFileType::Jpeg, "65500"},
        {"10", "99999999999", LargeImageFileType::Jpeg, "65500"},
        {"3000000000", "10", LargeImageFileType::Bitmap, "4 GB"},
        {"99999999999", "2160", LargeImageFileType::Bitmap, "4 GB"},
        {"4294967296", "1", LargeImageFileType::Bitmap, "4 GB"},
        {"3000000000", "1", LargeImageFileType::Bitmap, "2147483647 pixels wide"},
        // 2147483000 x T bytes of indices, four times that of smooth values: no memory has it.
        {"2147483000", "1", LargeImageFileType::Bitmap, "not enough memory"},
    };
    ASSERT_TRUE(RunLargeImageDialog([&](HWND dialog) {
        int n = 0;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.width) + " x " + c.height);
            if (strcmp(c.message, "not enough memory") == 0 && processors < 4) {
                continue; // with few threads the buffers may just fit
            }
            const std::string path = TempPath(("saver-refused-" + std::to_string(n++) + ".bmp").c_str());
            FillRequest(dialog, c.width, c.height, "100", processors, c.type, path);
            PressButton(dialog, IDOK);
            const std::string text = AnswerBox(kTitle);
            EXPECT_NE(std::string::npos, text.find(c.message)) << text;
            EXPECT_FALSE(FileExists(path));
            EXPECT_FALSE(LargeBitmapSaverInstance.IsBusy());
            EXPECT_TRUE(OkEnabled(dialog));
            EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays for another try";
        }
        // A file that cannot be made: the fixed-form "Error Creating File" box, no owner.
        FillRequest(dialog, "10", "10", "100", 1, LargeImageFileType::Bitmap, "Q:\\no\\such\\folder\\x.bmp");
        PressButton(dialog, IDOK);
        EXPECT_EQ("Error Creating File", AnswerBox(kTitle));
        EXPECT_FALSE(LargeBitmapSaverInstance.IsBusy());
        EXPECT_TRUE(OkEnabled(dialog));
    }));
    EXPECT_EQ(before.width, LargeImageSettingsInstance.width) << "a refused start stores nothing";
    EXPECT_EQ(before.height, LargeImageSettingsInstance.height);
    EXPECT_EQ(before.iterations, LargeImageSettingsInstance.iterations);
}

TEST(LargeImageDialog, FullDiskEndsTheSaveWithItsFailureBox)
{
    // The disk fills in the second of 1000 passes: the render stops there, and the dialog
    // says so as it says it for a save that failed at its end.
    SaverTestGui(LopsidedView());
    const std::string path = TempPath("saver-dialog-full-disk.bmp");
    const std::string precious = "keep";
    FILE* old = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, old);
    fwrite(precious.data(), 1, precious.size(), old);
    fclose(old);
    std::string text;
    {
        FullDisk disk(1078 + 3 * 400);
        ASSERT_TRUE(RunLargeImageDialog([&](HWND dialog) {
            FillRequest(dialog, "400", "2000", "200", 2, LargeImageFileType::Bitmap, path);
            PressButton(dialog, IDOK);
            text = AnswerBox(kTitle);
        }));
    }
    EXPECT_NE(std::string::npos, text.find("the disk may be full")) << text;
    ASSERT_TRUE(LargeBitmapSaverInstance.WaitUntilIdle(30000));
    EXPECT_TRUE(LargeBitmapSaverInstance.LastSaveFailed());
    const std::vector<uint8_t> kept = ReadWholeFile(path);
    EXPECT_EQ(precious, std::string(kept.begin(), kept.end()));
    DeleteFileA(path.c_str());
}

TEST(LargeImageDialog, OneSaveAtATimeAndAReopenWaitsForTheCancelledOne)
{
    SaverTestGui(SlowStrip(), kSlowFormula);
    const std::string first = TempPath("saver-busy-first.bmp");
    const std::string second = TempPath("saver-busy-second.bmp");
    ASSERT_TRUE(RunLargeImageDialog([&](HWND dialog) {
        FillRequest(dialog, "3000", "20", kSlowIterations, 1, LargeImageFileType::Bitmap, first);
        StartSlowSave(dialog);
        EXPECT_FALSE(OkEnabled(dialog));
        // Enter on the disabled default button still sends IDOK to the dialog.
        PressButton(dialog, IDOK);
        const std::string text = AnswerBox(kTitle);
        EXPECT_NE(std::string::npos, text.find("still being written")) << text;
        EXPECT_TRUE(LargeBitmapSaverInstance.IsRenderingFor(dialog)) << "the running save goes on";
        PressButton(dialog, IDCANCEL);
    }));
    // Reopened and started while the cancelled save may still be closing its file.
    SaverTestGui(LopsidedView());
    ASSERT_TRUE(RunLargeImageDialog([&](HWND dialog) {
        FillRequest(dialog, "100", "30", "100", 2, LargeImageFileType::Bitmap, second);
        PressButton(dialog, IDOK);
        const std::string text = AnswerBox(kSavedCaption);
        EXPECT_EQ(0u, text.find("Completed.")) << text;
    }));
    ASSERT_TRUE(LargeBitmapSaverInstance.WaitUntilIdle(30000));
    EXPECT_EQ(1078u + 20 * 3000, ReadWholeFile(first).size());
    const std::vector<uint8_t> bytes = ReadWholeFile(second);
    ASSERT_EQ(1078u + 30 * 100, bytes.size());
    EXPECT_EQ(100u, Le32(bytes, 18));
}

namespace {
// Colour cycling as the main window runs it: a timer on the UI thread steps the palette
// window, and the modal dialog's loop dispatches it.
std::atomic<int> TicksWhileSaving{0};
void CALLBACK CycleTimer(HWND, UINT, UINT_PTR, DWORD)
{
    ZorbGUI::GetInstance()->CycleStep();
    if (LargeBitmapSaverInstance.IsBusy()) {
        ++TicksWhileSaving;
    }
}
constexpr UINT kStartCycling = WM_APP + 50;
LRESULT CALLBACK CyclerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kStartCycling) {
        SetTimer(window, 1, 1, CycleTimer);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

TEST(LargeImageDialog, ColourCyclingDuringASaveLeavesItsColoursAlone)
{
    // Slow enough per row for the cycle timer to tick while the save runs.
    const View view = SlowStrip();
    const std::string still = TempPath("saver-still.jpg");
    LargeImageSettings request;
    request.width = 1000;
    request.height = 16;
    request.threads = 2;
    request.iterations = 200000;
    ASSERT_TRUE(SaveWithoutDialog(request, LargeImageFileType::Jpeg, view, TestLook(kSlowFormula), still));

    ZorbGUI* gui = SaverTestGui(view, kSlowFormula);
    WNDCLASSA cls{};
    cls.lpfnWndProc = CyclerProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "SaverTestCycler";
    RegisterClassA(&cls);
    const HWND cycler = CreateWindowExA(0, cls.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        cls.hInstance, nullptr);
    ASSERT_NE(nullptr, cycler);
    TicksWhileSaving = 0;
    const std::string cycled = TempPath("saver-cycled.jpg");
    ASSERT_TRUE(RunLargeImageDialog([&](HWND dialog) {
        FillRequest(dialog, "1000", "16", "200000", 2, LargeImageFileType::Jpeg, cycled);
        PressButton(dialog, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return LargeBitmapSaverInstance.IsRenderingFor(dialog); }, 10000));
        PostMessageA(cycler, kStartCycling, 0, 0);
        EXPECT_EQ(0u, AnswerBox(kSavedCaption).find("Completed."));
    }));
    KillTimer(cycler, 1);
    DestroyWindow(cycler);
    EXPECT_GT(TicksWhileSaving.load(), 2) << "the palette moved while the save ran";
    EXPECT_NE(0, gui->cycleOffset);
    const std::vector<uint8_t> expected = ReadWholeFile(still);
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(expected == ReadWholeFile(cycled)) << "one palette from top to bottom";
}
