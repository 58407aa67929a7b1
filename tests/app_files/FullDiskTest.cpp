// Saves onto a disk that fills up while they write: the program goes on, says so, and the
// file the save was to replace keeps what it held.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/commands/CommandsFiles.h"
#include "app/commands/CoordinatesCommands.h"
#include "app/files/JpegFile.h"
#include "app/files/OutputFile.h"
#include "tests/app_files/DialogDriver.h"
#include "tests/app_files/PictureFixture.h"
#include "tests/support/FilesIn.h"
#include "tests/support/WindowlessGui.h"

namespace {

constexpr char kTitle[] = "Zorbscape";
constexpr char kBitmapErrorCaption[] = "Error whilst saving bitmap";
constexpr char kPrecious[] = "an earlier save the user wants to keep";

// The disk has `bytes` left until the object goes, however the test ends.
class FullDisk {
public:
    explicit FullDisk(int64_t bytes) { LimitOutputBytesForTest(bytes); }
    ~FullDisk() { LimitOutputBytesForTest(-1); }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
};

// An empty folder of the test's own, so that a temporary file left behind shows.
std::string EmptyFolder(const char* name)
{
    const std::string folder = TempPath(name);
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const std::string& name : FilesIn(folder)) {
        DeleteFileA((folder + "\\" + name).c_str());
    }
    return folder;
}

void WriteText(const std::string& path, const std::string& text)
{
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
}

// A picture that does not compress to nothing: JPEG data then passes through several of the
// writer's buffers, so the disk can fill up in the middle of the scanlines.
void FillNoise(ZorbGUI* gui, int width, int height)
{
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = gui->dibBits + static_cast<size_t>(gui->screenHeight - 1 - y) * gui->screenStride;
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            row[x] = static_cast<uint8_t>(seed >> 24);
        }
    }
}

TEST(FullDisk, JpegWriterHandsTheLibrarysErrorBack)
{
    // libjpeg's standard handler ends the process on a write error, so merely getting past
    // the writes shows control came back. Limits: nothing at all, inside the headers, and
    // in the middle of the scanlines.
    constexpr int kWidth = 400;
    constexpr int kHeight = 300;
    std::vector<uint8_t> row(3 * kWidth);
    for (const int64_t limit : {int64_t{0}, int64_t{300}, int64_t{40000}}) {
        SCOPED_TRACE(limit);
        FILE* file = tmpfile();
        ASSERT_NE(nullptr, file);
        OutputFile out(file);
        JpegWriter writer;
        bool whole;
        {
            FullDisk disk(limit);
            whole = writer.Start(out, kWidth, kHeight);
            uint32_t seed = 7;
            for (int y = 0; whole && y < kHeight; ++y) {
                for (uint8_t& byte : row) {
                    seed = seed * 1664525u + 1013904223u;
                    byte = static_cast<uint8_t>(seed >> 24);
                }
                whole = writer.WriteRow(row.data());
            }
            whole = whole && writer.Finish();
        }
        fclose(file);
        EXPECT_FALSE(whole);
        EXPECT_TRUE(writer.Failed());
        EXPECT_TRUE(out.Failed());
        EXPECT_NE(0u, strlen(writer.ErrorText())) << "the library's own words for the failure";
        EXPECT_FALSE(writer.WriteRow(row.data())) << "a failed writer takes nothing more";
    }

    // The library is whole afterwards: the next picture is written in full.
    FILE* file = tmpfile();
    ASSERT_NE(nullptr, file);
    OutputFile out(file);
    JpegWriter writer;
    ASSERT_TRUE(writer.Start(out, 8, 2));
    EXPECT_TRUE(writer.WriteRow(row.data()));
    EXPECT_TRUE(writer.WriteRow(row.data()));
    EXPECT_TRUE(writer.Finish());
    EXPECT_EQ(std::string(), writer.ErrorText());
    fclose(file);
}

TEST(FullDisk, SavesKeepTheFileTheyWereToReplace)
{
    constexpr int kWidth = 400;
    constexpr int kHeight = 300;
    constexpr int64_t kBitmapHeaders = 1078;
    struct Case {
        const char* name;
        const char* file;
        int64_t bytesLeft;
        std::function<void(ZorbGUI&, const char*)> save;
        std::vector<std::string> bitmapTexts;  // the bitmap writer's own checks
        std::vector<std::string> texts;        // boxes with the window's title
    };
    const Case cases[] = {
        {"JPEG, disk full from the start", "pic.jpg", 0,
         [](ZorbGUI& gui, const char* path) { SaveImageToFile(gui, path, false); }, {}, {kWriteErrorText}},
        {"JPEG, disk full in the scanlines", "pic.jpg", 40000,
         [](ZorbGUI& gui, const char* path) { SaveImageToFile(gui, path, false); }, {}, {kWriteErrorText}},
        {"BMP, disk full in the rows", "pic.bmp", kBitmapHeaders + 5000,
         [](ZorbGUI& gui, const char* path) { SaveImageToFile(gui, path, true); },
         {"Bitmap data not successfully written", "Bitmap file size not as expected"}, {}},
        {"co-ordinates", "view.dat", 10, [](ZorbGUI& gui, const char* path) { SaveCoordinatesToFile(gui, path); },
         {}, {kWriteErrorText}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZorbGUI* gui = WindowlessGui(kWidth, kHeight);
        FillNoise(gui, kWidth, kHeight);
        const std::string folder = EmptyFolder("full-disk");
        const std::string path = folder + "\\" + c.file;
        WriteText(path, kPrecious);
        std::vector<std::string> bitmapTexts;
        std::vector<std::string> texts;
        {
            BoxAnswerer bitmapBoxes(kBitmapErrorCaption);
            BoxAnswerer boxes(kTitle);
            FullDisk disk(c.bytesLeft);
            c.save(*gui, path.c_str());
            bitmapTexts = bitmapBoxes.Texts();
            texts = boxes.Texts();
        }
        EXPECT_EQ(c.bitmapTexts, bitmapTexts);
        EXPECT_EQ(c.texts, texts);
        EXPECT_EQ(kPrecious, ReadFile(path));
        EXPECT_EQ(std::vector<std::string>{c.file}, FilesIn(folder)) << "no temporary file is left";

        // With room on the disk the same save replaces the file.
        c.save(*gui, path.c_str());
        EXPECT_NE(kPrecious, ReadFile(path));
        EXPECT_EQ(std::vector<std::string>{c.file}, FilesIn(folder));
        DeleteFileA(path.c_str());
        RemoveDirectoryA(folder.c_str());
    }
}

TEST(FullDisk, CycleSequenceEndsAtTheFrameThatCannotBeWritten)
{
    constexpr int kWidth = 10;
    constexpr int kHeight = 6;
    constexpr int64_t kFrameBytes = 1078 + 12 * kHeight;
    ZorbGUI* gui = WindowlessGui(kWidth, kHeight);
    gui->cycleStep = 5;
    const std::string folder = EmptyFolder("full-disk-cycle");
    const std::string path = folder + "\\seq.bmp";
    WriteText(folder + "\\seq002.bmp", kPrecious);
    std::vector<std::string> bitmapTexts;
    {
        BoxAnswerer bitmapBoxes(kBitmapErrorCaption);
        BoxAnswerer boxes(kTitle);
        // Frames 0 and 1 fit, and frame 2 its headers but not its rows.
        FullDisk disk(2 * kFrameBytes + 1078 + 20);
        SaveCycleRangeToFiles(*gui, path.c_str(), true);
        bitmapTexts = bitmapBoxes.Texts();
        EXPECT_TRUE(boxes.Texts().empty());
    }
    EXPECT_EQ((std::vector<std::string>{"Bitmap data not successfully written", "Bitmap file size not as expected"}),
              bitmapTexts);
    EXPECT_EQ(static_cast<size_t>(kFrameBytes), ReadFile(folder + "\\seq000.bmp").size());
    EXPECT_EQ(static_cast<size_t>(kFrameBytes), ReadFile(folder + "\\seq001.bmp").size());
    EXPECT_EQ(kPrecious, ReadFile(folder + "\\seq002.bmp"));
    EXPECT_EQ(3u, FilesIn(folder).size()) << "no frame after the failed one, no temporary file";
    // Two frames written, two steps taken; the step is given back.
    EXPECT_EQ(4, gui->cycleOffset);
    EXPECT_EQ(5, gui->cycleStep);
    for (const std::string& name : FilesIn(folder)) {
        DeleteFileA((folder + "\\" + name).c_str());
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
