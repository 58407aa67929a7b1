// Memory of a save does not grow with the picture's height. In a program of its own, so that
// the process's peak working set is this save's and not an earlier test's.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include "render/Processors.h"
#include "app/saver/LargeBitmapSaver.h"
#include "tests/app_saver/SaverFixture.h"

namespace {
size_t PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakWorkingSetSize;
}
}

TEST(LargeBitmapSaver, MemoryStaysFlatForATallBitmap)
{
    constexpr int kWidth = 4000;
    constexpr int kHeight = 40000;
    constexpr size_t kFileBytes = 1078 + static_cast<size_t>(kWidth) * kHeight; // 160 MB
    constexpr size_t kAllowedGrowth = 32u << 20;
    constexpr DWORD kWaitMs = 540000;

    LargeImageSettings request;
    request.width = kWidth;
    request.height = kHeight;
    request.threads = CountLogicalProcessors();
    request.iterations = 4; // the rows, not the arithmetic, are what is measured
    const std::string path = TempPath("saver-tall.bmp");

    const size_t before = PeakWorkingSet();
    ASSERT_GT(before, 0u) << "no working-set figures";
    // One worker thread per row: the thread starts, not the pixels, take the time.
    ASSERT_TRUE(SaveWithoutDialog(request, LargeImageFileType::Bitmap, LopsidedView(), TestLook(), path,
                                  kWaitMs));
    const size_t after = PeakWorkingSet();

    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(kFileBytes, (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    EXPECT_FALSE(LargeBitmapSaverInstance.LastSaveFailed());
    EXPECT_LT(after - before, kAllowedGrowth)
        << "peak working set grew by " << ((after - before) >> 20) << " MB for a " << (kFileBytes >> 20)
        << " MB file";
    DeleteFileA(path.c_str());
}
