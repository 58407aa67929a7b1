// A save's memory does not grow with the picture's height: the same save at two heights holds
// as much heap at its peak and leaves as many threads and handles behind. In a program of its
// own, so that the heap counter sees this save's blocks and no other test's.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "render/Processors.h"
#include "app/saver/LargeBitmapSaver.h"
#include "app/saver/LargeImageLimits.h"
#include "tests/app_saver/HeapCounter.h"
#include "tests/app_saver/ProcessCounts.h"
#include "tests/app_saver/SaverFixture.h"

namespace {

constexpr int kWidth = 4000;
// Every row is a band with a thread of its own: the rows, not the pixels, take the time, and
// two thousand more of them are what would show a store that grows with the height.
constexpr int kShortHeight = 256;
constexpr int kTallHeight = 2304;
constexpr int kAddedRows = kTallHeight - kShortHeight;
// Generous: a tall save takes seconds, and a minute on a machine busy with other work.
constexpr DWORD kSaveLimitMs = 240000;
constexpr DWORD kThreadsEndLimitMs = 120000;
constexpr DWORD kThreadPollMs = 20;

// The save's worker threads end after the save has told its end; waits until they have gone.
bool WaitForThreadsAtMost(int count)
{
    const ULONGLONG limit = GetTickCount64() + kThreadsEndLimitMs;
    for (;;) {
        const int now = ThreadsOfThisProcess();
        if (now >= 0 && now <= count) {
            return true;
        }
        if (GetTickCount64() > limit) {
            return false;
        }
        Sleep(kThreadPollMs);
    }
}

struct SaveFigures {
    bool saved = false;
    int64_t heapGrowth = 0; // peak over the save, against the start
    int handles = 0;        // once its threads have gone
};

SaveFigures Save(LargeImageFileType type, int height, int threadsBefore, const std::string& path)
{
    LargeImageSettings request;
    request.width = kWidth;
    request.height = height;
    request.threads = CountLogicalProcessors();
    request.iterations = 4;

    SaveFigures figures;
    HeapCounter::ResetPeak();
    const int64_t heldBefore = HeapCounter::HeldBytes();
    figures.saved = SaveWithoutDialog(request, type, LopsidedView(), TestLook(), path, kSaveLimitMs) &&
                    !LargeBitmapSaverInstance.LastSaveFailed();
    figures.heapGrowth = HeapCounter::PeakBytes() - heldBefore;
    EXPECT_TRUE(WaitForThreadsAtMost(threadsBefore))
        << ThreadsOfThisProcess() << " threads still there after a save of " << height
        << " rows, against " << threadsBefore << " before";
    figures.handles = HandlesOfThisProcess();
    return figures;
}

double Megabytes(int64_t bytes)
{
    return static_cast<double>(bytes) / (1 << 20);
}

class SaverMemory : public ::testing::TestWithParam<LargeImageFileType> {
protected:
    static void SetUpTestSuite() { installed = HeapCounter::Install(); }
    static bool installed;
};
bool SaverMemory::installed = false;

TEST_P(SaverMemory, HeapAndHandlesDoNotGrowWithTheHeight)
{
    ASSERT_TRUE(installed) << "the run time's allocation imports were not found";
    const LargeImageFileType type = GetParam();
    const bool bitmap = type == LargeImageFileType::Bitmap;
    const std::string path = TempPath(bitmap ? "saver-memory.bmp" : "saver-memory.jpeg");
    const int threadsBefore = ThreadsOfThisProcess();
    ASSERT_GT(threadsBefore, 0) << "no thread list";
    ASSERT_GT(HandlesOfThisProcess(), 0) << "no handle list";

    const SaveFigures shortSave = Save(type, kShortHeight, threadsBefore, path);
    ASSERT_TRUE(shortSave.saved);
    const SaveFigures tallSave = Save(type, kTallHeight, threadsBefore, path);
    ASSERT_TRUE(tallSave.saved);

    if (bitmap) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
        const uint64_t bytes = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        EXPECT_EQ(LargeBitmapFileSize(kWidth, kTallHeight), bytes);
    } else {
        DecodedJpeg picture;
        ASSERT_TRUE(DecodeJpeg(path, &picture));
        EXPECT_EQ(kWidth, picture.width);
        EXPECT_EQ(kTallHeight, picture.height);
    }

    // Keeping the picture, or anything per row, would cost at least a byte a pixel: the added
    // rows may not bring half of that.
    std::printf("heap at the peak of a save: %.1f MB for %d rows, %.1f MB for %d rows\n",
                Megabytes(shortSave.heapGrowth), kShortHeight, Megabytes(tallSave.heapGrowth), kTallHeight);
    EXPECT_LT(tallSave.heapGrowth - shortSave.heapGrowth, static_cast<int64_t>(kWidth) * kAddedRows / 2)
        << "the heap's peak grew from " << Megabytes(shortSave.heapGrowth) << " MB at " << kShortHeight
        << " rows to " << Megabytes(tallSave.heapGrowth) << " MB at " << kTallHeight << " rows";
    // A handle kept per pass (T rows) would show. They are counted once the save's threads have
    // gone, so the figure does not follow the scheduling.
    const int addedPasses = kAddedRows / CountLogicalProcessors();
    EXPECT_LT(tallSave.handles - shortSave.handles, addedPasses / 2 + 1)
        << shortSave.handles << " handles after " << kShortHeight << " rows, " << tallSave.handles
        << " after " << kTallHeight;
    DeleteFileA(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Formats, SaverMemory,
                         ::testing::Values(LargeImageFileType::Bitmap, LargeImageFileType::Jpeg),
                         [](const ::testing::TestParamInfo<LargeImageFileType>& info) {
                             return std::string(info.param == LargeImageFileType::Bitmap ? "Bmp" : "Jpeg");
                         });

} // namespace
