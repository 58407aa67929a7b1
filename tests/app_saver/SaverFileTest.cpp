// What the saver writes, driven without its dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "render/LambdaConstant.h"
#include "render/Processors.h"
#include "render/RenderRunningFlag.h"
#include "app/saver/LargeBitmapSaver.h"
#include "app/saver/LargeImagePassWriter.h"
#include "tests/app_saver/SaverFixture.h"
#include "tests/support/BoundedView.h"
#include "tests/support/FilesIn.h"

namespace {

constexpr uint32_t kFastIterations = 200;

LargeImageSettings Request(int width, int height, int threads, uint32_t iterations = kFastIterations)
{
    LargeImageSettings request;
    request.width = width;
    request.height = height;
    request.threads = threads;
    request.iterations = iterations;
    return request;
}

// The picture rows of a saved BMP, top row first, without padding; checks the padding is zero.
std::vector<uint8_t> BitmapRowsTopFirst(const std::vector<uint8_t>& file, int width, int height)
{
    const size_t stride = (static_cast<size_t>(width) + 3) & ~static_cast<size_t>(3);
    std::vector<uint8_t> rows(static_cast<size_t>(width) * height);
    for (int k = 0; k < height; ++k) {
        const uint8_t* stored = file.data() + 1078 + k * stride;
        memcpy(rows.data() + static_cast<size_t>(height - 1 - k) * width, stored, width);
        for (size_t pad = width; pad < stride; ++pad) {
            EXPECT_EQ(0, stored[pad]) << "padding of file row " << k;
        }
    }
    return rows;
}

void ExpectBitmapHeader(const std::vector<uint8_t>& file, int width, int height, const RGBQUAD* palette)
{
    const uint32_t stride = (width + 3) & ~3;
    ASSERT_EQ(1078u + height * stride, file.size());
    EXPECT_EQ('B', file[0]);
    EXPECT_EQ('M', file[1]);
    EXPECT_EQ(file.size(), Le32(file, 2));
    EXPECT_EQ(0u, Le32(file, 6));
    EXPECT_EQ(1078u, Le32(file, 10));
    EXPECT_EQ(40u, Le32(file, 14));
    EXPECT_EQ(static_cast<uint32_t>(width), Le32(file, 18));
    EXPECT_EQ(static_cast<uint32_t>(height), Le32(file, 22));
    EXPECT_EQ(1, Le16(file, 26));
    EXPECT_EQ(8, Le16(file, 28));
    EXPECT_EQ(0u, Le32(file, 30));
    EXPECT_EQ(height * stride, Le32(file, 34));
    EXPECT_EQ(0u, Le32(file, 38));
    EXPECT_EQ(0u, Le32(file, 42));
    EXPECT_EQ(256u, Le32(file, 46));
    EXPECT_EQ(256u, Le32(file, 50));
    EXPECT_EQ(0, memcmp(file.data() + 54, palette, 255 * 4)) << "colours 0..254 of the palette window";
    EXPECT_EQ(0u, Le32(file, 54 + 255 * 4)) << "index 255 is black in every file";
}

// A progress bar for the saver to set up, in a window that stands in for its dialog.
struct ProgressHost {
    HWND window = nullptr;
    HWND bar = nullptr;
    HWND status = nullptr;
    ProgressHost()
    {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        window = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 0, 50, 10, window, nullptr, nullptr, nullptr);
        status = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD, 0, 0, 0, 0, window, nullptr, nullptr, nullptr);
    }
    ~ProgressHost()
    {
        LargeBitmapSaverInstance.DetachDialog();
        LargeBitmapSaverInstance.Init(nullptr, nullptr, nullptr);
        DestroyWindow(window);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
};

} // namespace

TEST(LargeBitmapSaver, TenRowsInFourThreadsMakeThreePasses)
{
    const View view = LopsidedView();
    const WindowRenderSettings look = TestLook();
    const MemoryPicture reference = RenderInMemory(view, 7, 10, kFastIterations, look);

    {
        ProgressHost host;
        LargeBitmapSaver& saver = LargeBitmapSaverInstance;
        saver.Init(host.window, host.bar, host.status);
        const std::string path = TempPath("saver-ten-rows.bmp");
        ASSERT_EQ(LargeImageReserve::Ok, saver.Reserve(Request(7, 10, 4), LargeImageFileType::Bitmap));
        ReplacingFile file;
        ASSERT_TRUE(file.Open(path.c_str()));
        RenderRunningFlag.exchange(true);
        ASSERT_TRUE(saver.Start(look, view, std::move(file)));
        PBRANGE range{};
        SendMessageA(host.bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        EXPECT_EQ(0, range.iLow);
        EXPECT_EQ(3, range.iHigh) << "one step per pass";
        ASSERT_TRUE(saver.WaitUntilIdle(30000));
        EXPECT_EQ(3, saver.GetPassesWritten());
        EXPECT_FALSE(saver.LastSaveFailed());

        const std::vector<uint8_t> bytes = ReadWholeFile(path);
        ExpectBitmapHeader(bytes, 7, 10, look.palette);
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_EQ(reference.indices, BitmapRowsTopFirst(bytes, 7, 10));
    }

    const std::string jpegPath = TempPath("saver-ten-rows.jpg");
    ASSERT_TRUE(SaveWithoutDialog(Request(7, 10, 4), LargeImageFileType::Jpeg, view, look, jpegPath));
    DecodedJpeg jpeg;
    ASSERT_TRUE(DecodeJpeg(jpegPath, &jpeg));
    EXPECT_EQ(7, jpeg.width);
    EXPECT_EQ(10, jpeg.height) << "every row reached libjpeg, the short last pass included";
    EXPECT_EQ(3, LargeBitmapSaverInstance.GetPassesWritten());
}

TEST(LargeBitmapSaver, WideBitmapAndJpegShowTheEnginesPictureTheSameWayUp)
{
    // 3001 columns: each BMP row has three bytes of padding. The picture differs top and
    // bottom, and holds points inside the set (index 255), which are black in both files
    // although the Rainbow window's entry 255 is red.
    constexpr int kWidth = 3001;
    constexpr int kHeight = 48;
    const View view = LopsidedView();
    const WindowRenderSettings look = TestLook();
    ASSERT_EQ(255, look.palette[255].rgbRed);
    ASSERT_EQ(0, look.palette[255].rgbGreen);
    const MemoryPicture reference = RenderInMemory(view, kWidth, kHeight, kFastIterations, look);
    size_t inside = 0;
    for (uint8_t index : reference.indices) {
        inside += index == 255;
    }
    ASSERT_GT(inside, reference.indices.size() / 20);
    const int threads = CountLogicalProcessors();

    const std::string bmpPath = TempPath("saver-wide.bmp");
    ASSERT_TRUE(SaveWithoutDialog(Request(kWidth, kHeight, threads), LargeImageFileType::Bitmap, view, look,
                                  bmpPath));
    const std::vector<uint8_t> bmp = ReadWholeFile(bmpPath);
    ExpectBitmapHeader(bmp, kWidth, kHeight, look.palette);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(reference.indices, BitmapRowsTopFirst(bmp, kWidth, kHeight));

    const std::string jpegPath = TempPath("saver-wide.jpg");
    ASSERT_TRUE(SaveWithoutDialog(Request(kWidth, kHeight, threads), LargeImageFileType::Jpeg, view, look,
                                  jpegPath));
    DecodedJpeg jpeg;
    ASSERT_TRUE(DecodeJpeg(jpegPath, &jpeg));
    ASSERT_EQ(kWidth, jpeg.width);
    ASSERT_EQ(kHeight, jpeg.height);
    const std::vector<uint8_t> expected = SmoothRgb(reference, look.palette);
    const double upright = MeanRgbDifference(jpeg.rgb, expected, kWidth, kHeight, false);
    const double flipped = MeanRgbDifference(jpeg.rgb, expected, kWidth, kHeight, true);
    EXPECT_LT(upright, 6.0) << "quality 100 leaves only compression noise";
    EXPECT_GT(flipped, 4 * upright) << "the JPEG is stored top row first";
}

// The lambda map takes its constant from the window's last pick, and every one-row band of the
// saver reads it as its kernel starts: the large picture is the one the engine renders whole,
// at single precision and, on the edge of the set around z = 1, at double.
TEST(LargeBitmapSaver, LambdaPictureIsTheEnginesInSingleAndDoublePrecision)
{
    constexpr int kWidth = 2400;
    constexpr int kHeight = 160;
    // An attracting fixed point, so points inside; z = 1 maps onto the repelling fixed point 0,
    // so every view around it holds the edge.
    struct PickedLambda {
        const ComplexConstant before = LambdaConstant;
        PickedLambda() { LambdaConstant = ComplexConstant{1.5, 0.5}; }
        ~PickedLambda() { LambdaConstant = before; }
    } picked;
    const WindowRenderSettings look = TestLook(kLambdaFormula);
    struct Case {
        const char* name;
        View view;
        bool useFloat;
    };
    const Case cases[] = {
        {"single precision", BoundedView(-0.5, 1.5, -0.7, 0.7), true},
        {"double precision", BoundedView(1.0 - 1e-6, 1.0 + 1e-6, -1e-7, 1e-7), false},
    };
    const int threads = CountLogicalProcessors();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MemoryPicture reference = RenderInMemory(c.view, kWidth, kHeight, kFastIterations, look);
        ASSERT_EQ(c.useFloat, reference.useFloat);
        const std::set<uint8_t> indices(reference.indices.begin(), reference.indices.end());
        ASSERT_GT(indices.size(), 2u) << "a picture, not a plain area";
        ASSERT_EQ(1u, indices.count(255)) << "points inside";

        const std::string path = TempPath("saver-lambda.bmp");
        ASSERT_TRUE(SaveWithoutDialog(Request(kWidth, kHeight, threads), LargeImageFileType::Bitmap, c.view, look,
                                      path));
        const std::vector<uint8_t> bmp = ReadWholeFile(path);
        ExpectBitmapHeader(bmp, kWidth, kHeight, look.palette);
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_EQ(reference.indices, BitmapRowsTopFirst(bmp, kWidth, kHeight));
        DeleteFileA(path.c_str());
    }
}

TEST(LargeBitmapSaver, OneSaveAtATime)
{
    // A slow save.
    const View slow = SlowStrip();
    LargeBitmapSaver& saver = LargeBitmapSaverInstance;
    ASSERT_EQ(LargeImageReserve::Ok, saver.Reserve(Request(2000, 20, 1, 4000000), LargeImageFileType::Bitmap));
    EXPECT_EQ(LargeImageReserve::Busy, saver.Reserve(Request(10, 10, 1), LargeImageFileType::Bitmap))
        << "reserved, not yet started";
    const std::string path = TempPath("saver-first.bmp");
    ReplacingFile file;
    ASSERT_TRUE(file.Open(path.c_str()));
    RenderRunningFlag.exchange(true);
    ASSERT_TRUE(saver.Start(TestLook(kSlowFormula), slow, std::move(file)));
    EXPECT_EQ(LargeImageReserve::Busy, saver.Reserve(Request(10, 10, 1), LargeImageFileType::Jpeg));
    EXPECT_FALSE(saver.Start(TestLook(), slow, ReplacingFile())) << "no claim, no start";
    EXPECT_TRUE(saver.IsBusy());

    RenderRunningFlag.exchange(false);
    ASSERT_TRUE(saver.WaitUntilIdle(30000));
    EXPECT_EQ(20, saver.GetPassesWritten()) << "a stopped save still writes every pass";
    EXPECT_EQ(1078u + 20 * 2000, ReadWholeFile(path).size());
    EXPECT_EQ(LargeImageReserve::Ok, saver.Reserve(Request(10, 10, 1), LargeImageFileType::Jpeg));
    saver.CancelReservation();
    EXPECT_FALSE(saver.IsBusy());
}

TEST(LargeBitmapSaver, PassesLandPastTwoGigabytes)
{
    // The first pass of a 65536 x 40000 BMP belongs at the end of a 2.6 GB file. Written alone
    // into an empty file (sparse, so cheap) and read back where it belongs.
    constexpr int kWidth = 65536;
    constexpr int kHeight = 40000;
    const std::string path = TempPath("saver-past-2gb.bmp");
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    std::vector<uint8_t> rows(2 * static_cast<size_t>(kWidth));
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i] = static_cast<uint8_t>(i * 7 + i / kWidth);
    }
    std::vector<uint8_t> block(rows.size(), 0);
    OutputFile out(file);
    const bool written = WriteBitmapPass(out, kWidth, kHeight, PassRows{1, 2}, rows.data(), block.data());
    fclose(file);
    ASSERT_TRUE(written);

    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    EXPECT_EQ(1078ull + static_cast<uint64_t>(kHeight) * kWidth, size);
    file = fopen(path.c_str(), "rb");
    ASSERT_NE(nullptr, file);
    std::vector<uint8_t> back(rows.size());
    // Picture row 2 is stored just before row 1, the file's last row.
    ASSERT_EQ(0, _fseeki64(file, 1078ll + static_cast<int64_t>(kHeight - 2) * kWidth, SEEK_SET));
    ASSERT_EQ(back.size(), fread(back.data(), 1, back.size(), file));
    fclose(file);
    DeleteFileA(path.c_str());
    EXPECT_TRUE(std::equal(rows.begin() + kWidth, rows.end(), back.begin())) << "row 2 first";
    EXPECT_TRUE(std::equal(rows.begin(), rows.begin() + kWidth, back.begin() + kWidth)) << "row 1 last";
}

TEST(LargeBitmapSaver, FullDiskFailsTheSaveAndKeepsTheFileItWasToReplace)
{
    const View view = LopsidedView();
    for (const LargeImageFileType type : {LargeImageFileType::Bitmap, LargeImageFileType::Jpeg}) {
        const bool bitmap = type == LargeImageFileType::Bitmap;
        SCOPED_TRACE(bitmap ? "bitmap" : "jpeg");
        const std::string path = TempPath(bitmap ? "saver-full-disk.bmp" : "saver-full-disk.jpg");
        const std::vector<uint8_t> precious = {'k', 'e', 'e', 'p'};
        FILE* old = fopen(path.c_str(), "wb");
        ASSERT_NE(nullptr, old);
        fwrite(precious.data(), 1, precious.size(), old);
        fclose(old);

        // Room for the BMP's headers and a few rows; the JPEG fails at its first buffer.
        LimitOutputBytesForTest(1078 + 3 * 3004);
        const bool ended = SaveWithoutDialog(Request(3001, 48, 2), type, view, TestLook(), path);
        LimitOutputBytesForTest(-1);
        ASSERT_TRUE(ended);
        EXPECT_TRUE(LargeBitmapSaverInstance.LastSaveFailed());
        EXPECT_EQ(precious, ReadWholeFile(path));

        ASSERT_TRUE(SaveWithoutDialog(Request(3001, 48, 2), type, view, TestLook(), path));
        EXPECT_FALSE(LargeBitmapSaverInstance.LastSaveFailed());
        EXPECT_NE(precious, ReadWholeFile(path));
        DeleteFileA(path.c_str());
    }
}

namespace {

// The saver as the engine drives it, counting the pixels it is handed: a render that goes on
// after its file failed shows here as rows, however fast or slow the machine.
class PixelCountingSaver final : public LargeBitmapSaver {
public:
    void SetPixel(uint32_t x, uint32_t y, uint8_t colourIndex, float smoothValue) override
    {
        ++pixels;
        LargeBitmapSaver::SetPixel(x, y, colourIndex, smoothValue);
    }
    std::atomic<int64_t> pixels{0};
};

// Near the set's boundary from top to bottom: every JPEG row adds data, where the flat top
// of a wide view would compress to almost nothing.
View BoundaryView()
{
    return BoundedView(-0.78, -0.72, 0.05, 0.15);
}

} // namespace

TEST(LargeBitmapSaver, FullDiskStopsTheRenderAtTheFirstFailedWrite)
{
    // 4000 rows in two threads, 2000 passes. The BMP's disk fills in its second pass; the
    // JPEG's at the writer's first 16 KB buffer, about a hundred rows in. Either way the render
    // stops there instead of rendering the rest into a file that is discarded anyway.
    constexpr int kWidth = 400;
    constexpr int kHeight = 4000;
    constexpr int kThreads = 2;
    const std::string folder = TempPath("saver-full-disk-early");
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const std::string& left : FilesIn(folder)) {
        DeleteFileA((folder + "\\" + left).c_str());
    }
    for (const LargeImageFileType type : {LargeImageFileType::Bitmap, LargeImageFileType::Jpeg}) {
        const bool bitmap = type == LargeImageFileType::Bitmap;
        SCOPED_TRACE(bitmap ? "bitmap" : "jpeg");
        const std::string name = bitmap ? "early.bmp" : "early.jpg";
        const std::string path = folder + "\\" + name;
        const std::vector<uint8_t> precious = {'k', 'e', 'e', 'p'};
        FILE* old = fopen(path.c_str(), "wb");
        ASSERT_NE(nullptr, old);
        fwrite(precious.data(), 1, precious.size(), old);
        fclose(old);

        PixelCountingSaver saver;
        ASSERT_EQ(LargeImageReserve::Ok, saver.Reserve(Request(kWidth, kHeight, kThreads), type));
        ReplacingFile file;
        ASSERT_TRUE(file.Open(path.c_str()));
        {
            // Room for the BMP's headers and three rows; none for the JPEG.
            FullDisk disk(bitmap ? 1078 + 3 * kWidth : 0);
            RenderRunningFlag.exchange(true);
            ASSERT_TRUE(saver.Start(TestLook(), BoundaryView(), std::move(file)));
            ASSERT_TRUE(saver.WaitUntilIdle(120000));
        }

        const int64_t rows = saver.pixels.load() / kWidth;
        if (bitmap) {
            EXPECT_EQ(2 * kThreads, rows) << "the pass whose write failed was the last rendered";
        } else {
            EXPECT_LT(rows, kHeight / 10) << rows;
        }
        EXPECT_FALSE(RenderRunningFlag.load()) << "stopped as Stop stops a render";
        EXPECT_EQ(PassCount(kHeight, kThreads), saver.GetPassesWritten()) << "every pass still ends";
        EXPECT_TRUE(saver.LastSaveFailed());
        EXPECT_EQ(precious, ReadWholeFile(path));
        EXPECT_EQ(std::vector<std::string>{name}, FilesIn(folder)) << "no temporary file is left";
        DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(folder.c_str());
}

TEST(LargeBitmapSaver, StoppedSaveClosesAWholeFileBeforeItsRenderWindsDown)
{
    // A tall, slow picture in one thread: one pass per row. Once stopped, the file must be
    // closed whole right away, its unrendered rows black, as when the program ends after a
    // cancel and waits only for the file.
    constexpr int kWidth = 1500;
    constexpr int kHeight = 3000;
    // Rows of some hundredths of a second: the two the test waits for come soon even on a
    // busy 32-bit run, and the whole picture would still take minutes.
    constexpr uint32_t kIterations = 100000;
    const View slow = SlowStrip();
    for (const LargeImageFileType type : {LargeImageFileType::Bitmap, LargeImageFileType::Jpeg}) {
        const bool bitmap = type == LargeImageFileType::Bitmap;
        SCOPED_TRACE(bitmap ? "bitmap" : "jpeg");
        LargeBitmapSaver& saver = LargeBitmapSaverInstance;
        const std::string path = TempPath(bitmap ? "saver-stopped.bmp" : "saver-stopped.jpg");
        ASSERT_EQ(LargeImageReserve::Ok, saver.Reserve(Request(kWidth, kHeight, 1, kIterations), type));
        ReplacingFile file;
        ASSERT_TRUE(file.Open(path.c_str()));
        RenderRunningFlag.exchange(true);
        ASSERT_TRUE(saver.Start(TestLook(kSlowFormula), slow, std::move(file)));
        for (int i = 0; i < 6000 && saver.GetPassesWritten() < 2; ++i) {
            Sleep(10);
        }
        // Counted after the stop: a pass may end between a count and the stop, however
        // briefly the test's thread is held up between them.
        RenderRunningFlag.exchange(false);
        const int32_t passesAtStop = saver.GetPassesWritten();
        ASSERT_GE(passesAtStop, 2);
        ASSERT_TRUE(saver.WaitForFileClosed(120000));
        // At most the pass running at the stop and one ending meanwhile hold rendered rows.
        const size_t lastRenderedRow = static_cast<size_t>(passesAtStop) + 2;

        if (bitmap) {
            const std::vector<uint8_t> bytes = ReadWholeFile(path);
            ASSERT_EQ(1078u + static_cast<size_t>(kHeight) * kWidth, bytes.size());
            EXPECT_EQ(bytes.size(), Le32(bytes, 2));
            // The top rows were rendered before the stop; every row below the pass that was
            // running then was never rendered.
            const std::vector<uint8_t> rows = BitmapRowsTopFirst(bytes, kWidth, kHeight);
            EXPECT_FALSE(std::all_of(rows.begin(), rows.begin() + kWidth, [](uint8_t i) { return i == 255; }));
            const size_t unrenderedFrom = lastRenderedRow * kWidth;
            ASSERT_LT(unrenderedFrom, rows.size());
            EXPECT_TRUE(std::all_of(rows.begin() + unrenderedFrom, rows.end(), [](uint8_t i) { return i == 255; }));
        } else {
            DecodedJpeg jpeg;
            ASSERT_TRUE(DecodeJpeg(path, &jpeg)) << "the JPEG was finished";
            ASSERT_EQ(kHeight, jpeg.height);
            // Past the last 16-row block that could carry colour from a rendered row.
            const size_t blackFrom = (lastRenderedRow + 16) * kWidth * 3;
            ASSERT_LT(blackFrom, jpeg.rgb.size());
            EXPECT_LE(*std::max_element(jpeg.rgb.begin() + blackFrom, jpeg.rgb.end()), 2);
        }
        ASSERT_TRUE(saver.WaitUntilIdle(120000));
        EXPECT_EQ(PassCount(kHeight, 1), saver.GetPassesWritten()) << "every pass still ends";
        EXPECT_FALSE(saver.LastSaveFailed());
        DeleteFileA(path.c_str());
    }
}
